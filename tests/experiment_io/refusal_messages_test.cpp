// Every refusal of a pattern or peak file keeps the format's own text and
// adds the file, the line where one is known, and the reason.
#include <gtest/gtest.h>

#include <functional>

#include "byte_layout.hpp"
#include "experiment_io/pattern_files.hpp"
#include "experiment_io/peak_files.hpp"

namespace calvane {
namespace {

TEST(RefusalMessages, NameTheFileTheLineAndTheReason) {
  const std::vector<std::string> rietveld = {"SampleIdent=q DataFileName=q.dat",
                                             "",
                                             "Alpha1=1.54 Alpha2=0 Ratio=0",
                                             "",
                                             "10 0.02 10.2",
                                             "1 2 3",
                                             "4 5,x6"};
  std::vector<std::string> no_ident = rietveld;
  no_ident[0] = "Quartz, 40 kV";
  const struct Case {
    std::function<std::string()> read;
    std::string message;
  } cases[] = {
      {[&] { return read_rietveld_pattern(rietveld, "q.dat").error; },
       "Read error! (q.dat, line 7: \"x6\" is not a number)"},
      {[&] { return read_rietveld_pattern(no_ident, "q.dat").error; },
       "Error while reading the wavelength in Rietveld File (q.dat, line 1: the first line holds no "
       "\"SampleIdent\")"},
      {[&] { return read_raw_pattern("STOE_RAW\1\2", "s.raw").error; },
       "Unknown file type (s.raw: it starts with \"STOE_RA\"; the layouts read here are RAW, RAW1 and RAW2)"},
      {[&] {
         return read_winfit_peaks({"Sample  Position", "1 20.1 0.1 0.2 0.3 5", "2 21.0 0.1 zz 0.3 5"},
                                  "w.dat")
             .error;
       },
       "decode error (w.dat, line 3: \"zz\" is not a number)"},
      {[&] {
         return read_winfit_peaks({"Sample  Position", "1 20.1 0.1"}, "w.dat").error;
       },
       "decode error (w.dat, line 2: a peak line holds its number and at least 5 values (the 5th is the "
       "intensity))"},
      {[&] { return read_di_peaks(std::string(100, ' '), "p.di").error; },
       "It seems not to be a .RD Philips file (p.di: a Philips .di peak file has a 250-byte header; this "
       "file has 100 "
       "bytes)"},
      {[&] { return read_di_peaks(std::string(250 + 12 + 5, ' '), "p.di").error; },
       "It seems not to be a .RD Philips file (p.di: its last 12-byte peak record is cut short (5 bytes))"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.read(), c.message);
}

}  // namespace
}  // namespace calvane
