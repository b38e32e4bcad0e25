// Plays an exported game in headless Chromium and checks that every canvas
// frame equals, pixel for pixel, the frame the native player (tavino-tool
// play) draws for the same keys; then that a save survives a page reload and
// that loading it gives the native player's frame for the same save file.
//
//   node browser-test.js SITE_DIR GAME_DIR TAVINO_TOOL MODE
'use strict';
const execFile = require('util').promisify(require('child_process').execFile);
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [siteDir, gameDir, tool, mode] = process.argv.slice(2);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'tavino-browser-'));
const failures = [];
const consoleLines = [];  // the page's console, shown when something fails
let checks = 0;

// tavino-tool play's input names and the browser keys that give them.
const keyNames = { enter: 'Enter', kpenter: 'NumpadEnter', up: 'ArrowUp', down: 'ArrowDown',
                   kp8: 'Numpad8', kp2: 'Numpad2', space: 'Space' };
const toStart = ['enter'];                                   // title: start the game
// Five advances, each input once, to the choice; then its cursor and confirm.
const throughChoice = ['click', 'wheeldown', 'kpenter', 'enter', 'enter', 'down', 'kp8', 'kp2', 'enter'];
const saveInSlot1 = ['space', 'down', 'enter', 'down', 'enter', 'space'];
const loadSlot1FromTitle = ['up', 'enter', 'down', 'enter'];

function serve(dir) {
  dir = path.resolve(dir);
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm',
                  '.json': 'application/json' };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname).replace(/^\/+/, '') || 'index.html';
    const file = path.join(dir, path.normalize(name));
    if (!file.startsWith(dir + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const body = fs.readFileSync(file);
    response.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': body.length, 'Cache-Control': 'no-store' });
    response.end(body);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const header = bytes.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) throw new Error(file + ': not a PPM');
  return { width: +header[1], height: +header[2], rgb: bytes.subarray(header[0].length) };
}

function writePpm(file, image) {
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${image.width} ${image.height}\n255\n`), image.rgb]));
}

// The last frame the native player presents for `keys`, played in a fresh
// copy of the game folder (plus `extraFiles`); also the save file it left.
// The runs go on beside the browser, a few at a time, each made once.
let runs = 0;
async function nativeRun(keys, extraFiles) {
  const dir = path.join(work, 'native-' + ++runs);
  fs.cpSync(gameDir, path.join(dir, 'game'), { recursive: true });
  for (const [name, bytes] of Object.entries(extraFiles)) fs.writeFileSync(path.join(dir, 'game', name), bytes);
  const frames = path.join(dir, 'frames');
  await execFile(tool, ['play', '--dir', path.join(dir, 'game'), '--mode', mode, '--keys', keys.join(','),
                        '--frames', frames]);
  const names = fs.readdirSync(frames).filter((n) => n.endsWith('.ppm')).sort();
  const save = path.join(dir, 'game', 'tavino.sav');
  return { frame: readPpm(path.join(frames, names[names.length - 1])),
           save: fs.existsSync(save) ? fs.readFileSync(save) : null };
}

const nativeRuns = new Map();
const waiting = [];
let running = 0;
function native(keys, extraFiles = {}) {
  const id = keys.join(',') + '|' + Object.keys(extraFiles).join(',');
  if (!nativeRuns.has(id)) {
    nativeRuns.set(id, new Promise((resolve, reject) => {
      waiting.push(() => nativeRun(keys, extraFiles).then(resolve, reject).finally(() => { running--; startRuns(); }));
      startRuns();
    }));
  }
  return nativeRuns.get(id);
}
function startRuns() {
  for (; running < 3 && waiting.length; running++) waiting.shift()();
}

async function canvasImage(page) {
  const { width, height, data } = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < rgba.length; i += 0x8000) text += String.fromCharCode.apply(null, rgba.subarray(i, i + 0x8000));
    return { width: canvas.width, height: canvas.height, data: btoa(text) };
  });
  const rgba = Buffer.from(data, 'base64');
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) rgba.copy(rgb, j, i, i + 3);
  return { width, height, rgb };
}

// Waits until the player has taken every queued input, has shown at least
// one frame, and has shown no new one for a while (the demo's longest wait
// between frames is half a second; a loaded machine may stretch it).
async function settle(page) {
  const start = Date.now();
  let last = -1, since = Date.now();
  for (;;) {
    const count = await page.evaluate(() =>
      window.SDL && SDL.events && SDL.events.length ? -1 : (window.Module && Module.frameCount) || 0);
    if (count !== last) { last = count; since = Date.now(); }
    if (count > 0 && Date.now() - since >= 1500) return;
    if (Date.now() - start > 30000) throw new Error('the page showed no settled frame within 30 s');
    await new Promise((r) => setTimeout(r, 50));
  }
}

// Rows [skip[0], skip[1]) are left out of the comparison.
function compare(label, browser, native, skip = [0, 0]) {
  checks++;
  let differing = 0;
  if (browser.width !== native.width || browser.height !== native.height) {
    differing = -1;
  } else {
    for (let i = 0; i < browser.rgb.length; i += 3) {
      const row = Math.floor(i / 3 / browser.width);
      if (row >= skip[0] && row < skip[1]) continue;
      if (browser.rgb[i] !== native.rgb[i] || browser.rgb[i + 1] !== native.rgb[i + 1] ||
          browser.rgb[i + 2] !== native.rgb[i + 2]) differing++;
    }
  }
  if (differing === 0) return;
  const stem = path.join(work, label.replace(/\W+/g, '-'));
  writePpm(stem + '-browser.ppm', browser);
  writePpm(stem + '-native.ppm', native);
  failures.push(`${label}: ${differing < 0 ? 'sizes differ' : differing + ' pixels differ'} (${stem}-*.ppm)`);
}

async function press(page, key) {
  if (key === 'click' || key === 'wheeldown') {
    const box = await (await page.$('#canvas')).boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    if (key === 'click') await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    else await page.mouse.wheel({ deltaY: 120 });
  } else {
    await page.keyboard.press(keyNames[key]);
  }
  await settle(page);
}

// The row of slot 1's caption on the slot screens: it ends in the minute of
// saving, which the browser's and the native run need not share.
function slot1Caption(width) {
  const cell = Math.min(Math.trunc(width / 17.58), 96);
  return [2 * cell, 3 * cell];
}

async function play(page, keys, done, skipSlot1Caption = false) {
  for (const key of keys) {
    await press(page, key);
    done.push(key);
    const browser = await canvasImage(page);
    compare('after ' + done.join(','), browser, (await native(done)).frame,
            skipSlot1Caption ? slot1Caption(browser.width) : undefined);
  }
}

(async () => {
  let browser;
  try {
    browser = await puppeteer.launch({
      executablePath: process.env.TAVINO_CHROMIUM || '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--user-data-dir=' + path.join(work, 'profile')],
      timeout: 60000,
    });
  } catch (error) {
    console.log('SKIPPED: browser test: Chromium cannot start: ' + String(error.message).split('\n')[0]);
    return 0;
  }
  const all = [...toStart, ...throughChoice, ...saveInSlot1];
  for (let n = 0; n <= all.length; n++) native(all.slice(0, n));
  const server = await serve(siteDir);
  const url = `http://127.0.0.1:${server.address().port}/`;
  try {
    const page = await browser.newPage();
    page.on('pageerror', (error) => failures.push('page error: ' + error.message));
    page.on('console', (message) => consoleLines.push(message.text()));
    await page.setViewport({ width: 1400, height: 900 });
    await page.goto(url);
    await settle(page);
    compare('title screen', await canvasImage(page), (await native([])).frame);

    const done = [];
    await play(page, toStart.concat(throughChoice), done);
    const flushed = await page.evaluate(() => Module.flushCount);
    await play(page, saveInSlot1, done, true);
    await page.waitForFunction((n) => Module.flushCount > n, { timeout: 10000 }, flushed);
    const saved = Buffer.from(await page.evaluate(() => Array.from(Module.FS.readFile('tavino.sav'))));
    // Byte for byte the native save of the same keys, but for the time stamp.
    const stamp = (b) => b.toString('latin1').replace(/(\dJIKOKU  :)\d{12}/g, '$1');
    checks++;
    if (stamp(saved) !== stamp((await native(done)).save || Buffer.alloc(0)))
      failures.push('the saved file differs from the native player\'s');

    await page.reload();
    await settle(page);
    compare('title screen after the reload', await canvasImage(page), (await native([])).frame);
    for (const key of loadSlot1FromTitle) await press(page, key);
    const loaded = (await native(loadSlot1FromTitle, { 'tavino.sav': saved })).frame;
    compare('loaded after the reload', await canvasImage(page), loaded);
    checks++;
    if (loaded.rgb.equals((await native([])).frame.rgb)) failures.push('loading the save showed the title screen');
  } finally {
    await browser.close();
    server.close();
  }
  if (failures.length) console.log('The page said:\n  ' + consoleLines.join('\n  '));
  for (const failure of failures) console.log('FAILED: ' + failure);
  console.log(`browser test: ${checks - failures.length} of ${checks} checks passed`);
  if (!failures.length) fs.rmSync(work, { recursive: true, force: true });
  return failures.length ? 1 : 0;
})().then((status) => process.exit(status), (error) => {
  console.log('The page said:\n  ' + consoleLines.join('\n  '));
  console.log('FAILED: browser test: ' + (error && error.stack || error));
  process.exit(1);
});
