#include "util/text.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "util/file_cache.hpp"
#include "util/files.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

TEST(Fixed, WritesRightAlignedWithPointAndWidens) {
  struct Case { double value; int width, decimals; const char* text; };
  // Rounding at width 9 is checked against printf below.
  const Case cases[] = {{-0.5, 6, 1, "  -0.5"}, {123456.789, 6, 1, "123456.8"},  // widens
                        {-0.00001, 7, 2, "   0.00"}};                            // no negative zero
  for (const Case& c : cases) EXPECT_EQ(fixed(c.value, c.width, c.decimals), c.text) << c.value;
  EXPECT_EQ(fixed(-1.5, 70, 2), std::string(65, ' ') + "-1.50");  // wider than any field of the program
  EXPECT_EQ(fixed(12LL, 3) + "|" + fixed(-1234LL, 3), " 12|-1234");
}

// glibc's printf rounds the exact binary value half-to-even: it is the
// reference for every value, including those near a rounding boundary
// (1.005, 0.125, 2.675) and the large ones the short route leaves to
// std::to_chars.
TEST(Fixed, AgreesWithPrintfOnRandomAndBoundaryValues) {
  std::mt19937_64 random(20261206);
  std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-8, 17);
  std::vector<double> values = {1.005, 0.125, 2.675, 0.5, 1.5, -2.5, 1e15, 9.999999995, -0.0049, 0.0, -0.0,
                                4503599627370495.5, 123.4565, 0.045, 1e-9};
  for (int i = 0; i < 20000; ++i) values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  // Halves at every place: k/2^n are exact binary values on a boundary.
  for (int k = -200; k <= 200; ++k) values.push_back(k / 64.0);
  char reference[512];
  for (double value : values)
    for (int decimals = 0; decimals <= 11; ++decimals) {
      std::snprintf(reference, sizeof reference, "%9.*f", decimals, value);
      std::string expected = reference;
      // No negative zero in our texts.
      expected.erase(0, expected.find_first_not_of(' '));
      if (const auto minus = expected.find('-');
          minus != std::string::npos && expected.find_first_not_of("0.", minus + 1) == std::string::npos)
        expected.erase(minus, 1);
      if (expected.size() < 9) expected.insert(0, 9 - expected.size(), ' ');
      ASSERT_EQ(fixed(value, 9, decimals), expected) << value << " with " << decimals << " decimals";
    }
}

TEST(ParseDouble, AcceptsFreeFormatOnly) {
  for (auto [text, value] : {std::pair{" 1.5406 ", 1.5406}, {"+2", 2.0}, {"-.5", -0.5}, {"1e-3", 0.001}})
    EXPECT_EQ(parse_double(text), value) << text;
  for (const char* bad : {"", "  ", "1,5", "1.5x", "abc", "nan", "inf", "1 2"})
    EXPECT_FALSE(parse_double(bad).has_value()) << '"' << bad << '"';
  EXPECT_EQ(std::tuple(parse_integer(" 42"), parse_integer("4.2")),
            std::tuple(std::optional(42), std::optional<int>()));
}

TEST(NumberScanner, ReadsBlankSeparatedNumbersAndStopsAtText) {
  NumberScanner scanner(" 5.431  5.431\t5.431 90 90 90 rest");
  std::vector<double> values;
  while (auto value = scanner.next()) values.push_back(*value);
  EXPECT_EQ(std::tuple(values, trim(scanner.rest())),
            std::tuple(std::vector{5.431, 5.431, 5.431, 90.0, 90.0, 90.0}, std::string("rest")));
  NumberScanner empty("   ");
  EXPECT_EQ((std::tuple{empty.at_end(), empty.next()}), std::tuple(true, std::optional<double>()));
}

TEST(TextHelpers, FileNamesOfBothPathStyles) {
  EXPECT_EQ(substring("abc", 5, 1), "");
  EXPECT_EQ(file_name_of("C:\\data\\si.cry") + file_name_of("/home/u/si.cry"), "si.crysi.cry");
}

TEST(Files, ReadsAnyLineEndingAndFindsNamesWithoutCase) {
  testing::TempFolder folder;
  folder.write("Brcow.an", "x");
  folder.write("lines.txt", "one\r\ntwo\rthree\nfour");
  EXPECT_EQ(read_text_lines(folder / "lines.txt"), (std::vector<std::string>{"one", "two", "three", "four"}));
  EXPECT_EQ(std::tuple(find_file_ignoring_case(folder.path(), "brcow.an").has_value(),
                       find_file_ignoring_case(folder.path(), "muro.dat").has_value(),
                       read_text_lines(folder / "absent.txt").has_value()),
            std::tuple(true, false, false));
  // A named pipe is no file to read: refused at once instead of waiting for a writer.
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  EXPECT_FALSE(read_file_bytes(folder / "pipe").has_value());
  EXPECT_FALSE(MappedFile::open(folder / "pipe").has_value());
}

// A table edited while the program runs must take effect at the next read;
// an unchanged one is not parsed again; a deleted one is reported missing.
TEST(Files, CacheParsesAgainOnlyWhenTheFileChanges) {
  testing::TempFolder folder;
  const auto path = folder / "table.dat";
  ASSERT_EQ(write_file_atomically(path, "a\nb\n"), "");
  int loads = 0;
  FileCache<std::vector<std::string>> cache;
  auto load = [&loads](const std::filesystem::path& file) {
    ++loads;
    return read_text_lines(file);
  };
  ASSERT_EQ(cache.get(path, load)->size(), 2u);
  EXPECT_EQ(std::tuple(cache.get(path, load)->size(), loads), std::tuple(std::size_t{2}, 1));

  ASSERT_EQ(write_file_atomically(path, "a\nb\nc\n"), "");
  EXPECT_EQ(cache.get(path, load)->size(), 3u);
  // Same size, later time: still read again.
  ASSERT_EQ(write_file_atomically(path, "x\ny\nz\n"), "");
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(cache.get(path, load)->front(), "x");

  std::filesystem::remove(path);
  EXPECT_EQ(cache.get(path, load), nullptr);
}

TEST(Files, AtomicWriteAndOverwriteLeaveExactlyTheNewContentOrSayWhyNot) {
  testing::TempFolder folder;
  auto written = folder.write("out.cry", "old content");
  EXPECT_EQ(write_file_atomically(written, "new"), "");
  EXPECT_EQ(*read_file_bytes(written), "new");
  // A folder that does not exist: a reason, and nothing written anywhere (no temporary either).
  EXPECT_NE(write_file_atomically(folder / "missing/out.cry", "x"), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
  // A bare name goes to the working folder, not to the root.
  EXPECT_EQ(write_file_atomically("calvane-bare-name.txt", "bare"), "");
  EXPECT_EQ(read_file_bytes("calvane-bare-name.txt"), "bare");
  std::filesystem::remove("calvane-bare-name.txt");

  const auto target = folder / "phase12.out";
  EXPECT_EQ(overwrite_file(target, "a longer first listing\n"), "");
  // A shorter text over a longer file: no tail of the old one is left.
  // Each write reports no reason and leaves exactly its text.
  for (const char* text : {"short\n", ""})
    EXPECT_EQ((std::tuple{overwrite_file(target, text), *read_file_bytes(target)}),
              std::tuple(std::string(), std::string(text)));
  EXPECT_NE(overwrite_file(folder / "missing/phase1.out", "x"), "");
}

}  // namespace
}  // namespace calvane
