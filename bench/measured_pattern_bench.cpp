// Reading 50 000-point measured patterns in the two formats laboratories
// hand over most: an XRDML 2.x file and a Bruker RAW v4 file, each written
// into a temporary folder first. The target is under 20 ms a file.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "experiment_io/measured_pattern_files.hpp"

namespace calvane {
namespace {

constexpr int kPoints = 50000;

std::filesystem::path write_file(const std::string& name, const std::string& content) {
  const auto path = std::filesystem::temp_directory_path() / ("calvane_bench_" + name);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string xrdml_file() {
  std::string counts;
  for (int i = 0; i < kPoints; ++i) counts += std::to_string(100 + (i * 7919) % 5000) + ' ';
  return "<?xml version=\"1.0\"?>\n<xrdMeasurements xmlns=\"http://www.xrdml.com/XRDMeasurement/2.1\">"
         "<sample><id>bench</id></sample><xrdMeasurement><usedWavelength><kAlpha1>1.5406</kAlpha1>"
         "<kAlpha2>1.5444</kAlpha2><ratioKAlpha2KAlpha1>0.5</ratioKAlpha2KAlpha1></usedWavelength>"
         "<scan><dataPoints><positions axis=\"2Theta\" unit=\"deg\"><startPosition>5</startPosition>"
         "<endPosition>105</endPosition></positions><counts unit=\"counts\">" +
         counts + "</counts></dataPoints></scan></xrdMeasurement></xrdMeasurements>\n";
}

template <typename T>
void put(std::string& bytes, std::size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// One range after the 61-byte preamble: the layout of the RAW v4 reader's note.
std::string raw4_file() {
  std::string bytes(61 + 160 + 4 * kPoints, '\0');
  std::memcpy(bytes.data(), "RAW4.00", 7);
  put<double>(bytes, 61 + 72, 5.0);
  put<double>(bytes, 61 + 80, 0.002);
  put<std::uint32_t>(bytes, 61 + 88, kPoints);
  put<std::uint32_t>(bytes, 61 + 136, 4);
  for (int i = 0; i < kPoints; ++i)
    put<float>(bytes, 61 + 160 + 4 * static_cast<std::size_t>(i), float(i % 997));
  return bytes;
}

void read_file(benchmark::State& state, const std::filesystem::path& path) {
  for (auto _ : state) {
    MeasuredReading reading = read_measured_file(path);
    if (!reading.ok() || reading.scans[0].counts.size() != kPoints)
      state.SkipWithError("the file did not read");
    benchmark::DoNotOptimize(reading.scans.data());
  }
  std::filesystem::remove(path);
}

void BM_ReadXrdml50000(benchmark::State& state) { read_file(state, write_file("50000.xrdml", xrdml_file())); }
BENCHMARK(BM_ReadXrdml50000)->Unit(benchmark::kMillisecond);

void BM_ReadRaw4_50000(benchmark::State& state) { read_file(state, write_file("50000.raw", raw4_file())); }
BENCHMARK(BM_ReadRaw4_50000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calvane

BENCHMARK_MAIN();
