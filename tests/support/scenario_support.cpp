#include "support/scenario_support.h"

#include "scenario/reader.h"
#include "scenario/scenario.h"
#include "support/test_support.h"

void startScenario(const std::string& text) {
  writeFile("sinario.txt", text);
  setScenarioPath("sinario.txt");
  rOPGstartsina();
}
