// Feeds arbitrary bytes to the project loader. Every input must end in a
// load that returns (true or false): a crash, a sanitizer report, a leak or
// a run-away allocation is a finding. An input whose first byte is even is
// the whole container; otherwise the rest is the text of "project.json",
// packed with one small STEP entry, so mutations reach the description
// instead of breaking the container's checksums.
//
// The kernel's own STEP reader is left out unless NIMBAL_FUZZ_REAL_STEP is
// set: its faults on damaged STEP text are the kernel's, and would hide the
// loader's. The stand-in reads the file the loader wrote and gives a box.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "nimbal/log.hpp"
#include "nimbal/managers/corvath.hpp"
#include "nimbal/services/drulen.hpp"
#include "nimbal/services/ombrel.hpp"

namespace {

class StandInReader : public nimbal::services::Drulen {
 public:
  TopoDS_Shape import_file(const std::string& filename) override {
    std::ifstream in(filename, std::ios::binary);
    if (!in) std::abort();  // the loader must have written it
    std::string head(16, '\0');
    in.read(head.data(), 16);
    if (in.gcount() == 0) return TopoDS_Shape();
    return create_box(1.0 + static_cast<unsigned char>(head[0]), 2.0, 3.0);
  }
};

void quiet(std::string_view, nimbal::log::Level, std::string_view, std::exception_ptr) {}

std::string input_path() {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/nimbal-fuzz-" + std::to_string(::getpid()) + ".vrex";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = input_path();
  static const bool real_step = std::getenv("NIMBAL_FUZZ_REAL_STEP") != nullptr;
  nimbal::log::set_sink(&quiet);
  if (size > 0 && (data[0] & 1)) {
    static const std::string step = "ISO-10303-21;\nEND-ISO-10303-21;\n";
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    nimbal::services::write_zip_file(path, {{"project.json", &text}, {"shapes/imported_1.step", &step}});
  } else {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  std::shared_ptr<nimbal::services::DrulenProtocol> geo;
  if (real_step) geo = std::make_shared<nimbal::services::Drulen>();
  else geo = std::make_shared<StandInReader>();
  nimbal::managers::CoreCorvath corvath(geo);
  nimbal::services::ProjectSerializer::load_project(path, corvath);
  return 0;
}
