// The launcher's work before it starts a VM, on a 1 MB executable: reading
// the whole file, finding records V and B, and the configuration lookups.
// Printed at the end as ratios against one in-memory copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>

#include "payload.h"
#include "platform_posix.h"
#include "test_records.h"

namespace {

using quillpod::testing::append_record;
using quillpod::testing::Bytes;

constexpr std::size_t kFileSize = 1 << 20;
const char* kConfig =
    "main=com.tallowfen.hollyblitz.HollyBlitz\ntarget=B\nhelpurl=https://help.example/troubleshooting\n"
    "minver=1.1\nwindowed=yes\n";

// An image of random bytes (no record marker survives in it), then B, V and
// a Z record filling the file to 1 MB, as a packed game lays them out.
std::string make_executable() {
  std::mt19937 random(42);
  Bytes image(64 * 1024);
  for (auto& b : image) b = static_cast<unsigned char>(random() & 0x3F);  // below the marker's bytes
  append_record(image, 'B', std::string(4343, 'b'));
  append_record(image, 'V', std::string(kConfig) + '\0');
  std::size_t z = kFileSize - image.size() - 20;
  append_record(image, 'Z', std::string(z, 'z'));
  char path[] = "/tmp/quillpod-bench-XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0 || write(fd, image.data(), image.size()) != static_cast<ssize_t>(image.size())) std::abort();
  close(fd);
  return path;
}

const std::string& executable() {
  static const std::string path = make_executable();
  return path;
}

const Bytes& image() {
  static const Bytes bytes = *quillpod::PosixPlatform().read_file(executable());
  return bytes;
}

// The baseline: one copy of the file's bytes in memory.
void BM_Baseline_MemcpyPass(benchmark::State& state) {
  const Bytes& b = image();
  Bytes copy(b.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), b.data(), b.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Baseline_MemcpyPass);

void BM_ReadWholeFile(benchmark::State& state) {
  quillpod::PosixPlatform platform;
  for (auto _ : state) benchmark::DoNotOptimize(platform.read_file(executable()));
}
BENCHMARK(BM_ReadWholeFile);

void BM_FindRecordsVAndB(benchmark::State& state) {
  const Bytes& b = image();
  for (auto _ : state) {
    benchmark::DoNotOptimize(quillpod::find_record(b.data(), b.size(), 'V'));
    benchmark::DoNotOptimize(quillpod::find_record(b.data(), b.size(), 'B'));
  }
}
BENCHMARK(BM_FindRecordsVAndB);

void BM_ConfigLookups(benchmark::State& state) {
  const Bytes& b = image();
  auto text = quillpod::config_text(b.data(), b.size());
  for (auto _ : state) {
    for (const char* key : {"main", "helpurl", "target", "jars"})
      benchmark::DoNotOptimize(quillpod::lookup_config_value(text, key, std::nullopt));
  }
}
BENCHMARK(BM_ConfigLookups);

// Everything the launcher does before the workspace, in its order.
void BM_PreVmWork(benchmark::State& state) {
  quillpod::PosixPlatform platform;
  for (auto _ : state) {
    auto bytes = platform.read_file(executable());
    auto text = quillpod::config_text(bytes->data(), bytes->size());
    for (const char* key : {"main", "helpurl", "target", "jars"})
      benchmark::DoNotOptimize(quillpod::lookup_config_value(text, key, std::nullopt));
    benchmark::DoNotOptimize(quillpod::find_record(bytes->data(), bytes->size(), 'B'));
  }
}
BENCHMARK(BM_PreVmWork);

// Keeps each benchmark's time per iteration for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) ns[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double base = reporter.ns["BM_Baseline_MemcpyPass"];
  std::printf("\nRatios against one in-memory copy of the 1 MB file (%.1f us):\n", base / 1000);
  for (const auto& [name, ns] : reporter.ns)
    std::printf("  %-28s %9.1f us  %6.1fx\n", name.c_str(), ns / 1000, base > 0 ? ns / base : 0.0);
  unlink(executable().c_str());
  benchmark::Shutdown();
  return 0;
}
