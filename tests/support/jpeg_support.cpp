#include "support/jpeg_support.h"

#include <jpeglib.h>

#include <cmath>
#include <cstdlib>

Picture photograph(int width, int height) {
  Picture out{width, height, {}};
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++)
      out.pixels.insert(out.pixels.end(), {uint8_t(128 + 100 * std::sin(x / 9.0 + y / 23.0)),
                                           uint8_t((x * y / 7 + x) % 256), uint8_t(x % 13 * 12 + y % 17 * 3)});
  return out;
}

Bytes libjpegEncode(const Picture& img, const EncodeOptions& o) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long memSize = 0;
  jpeg_mem_dest(&cinfo, &mem, &memSize);
  cinfo.image_width = JDIMENSION(img.width), cinfo.image_height = JDIMENSION(img.height);
  cinfo.input_components = 3, cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  if (o.grey) jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(&cinfo, o.quality, TRUE);
  cinfo.comp_info[0].h_samp_factor = o.hs, cinfo.comp_info[0].v_samp_factor = o.vs;
  cinfo.restart_in_rows = o.restartRows, cinfo.restart_interval = JDIMENSION(o.restartMcus);
  cinfo.optimize_coding = o.optimise ? TRUE : FALSE;
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(&img.pixels[size_t(cinfo.next_scanline) * img.width * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes file(mem, mem + memSize);
  jpeg_destroy_compress(&cinfo);
  std::free(mem);
  return file;
}

