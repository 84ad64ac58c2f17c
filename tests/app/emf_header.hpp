// The header of an enhanced metafile as [MS-EMF] lays it out: EMR_HEADER
// record type 1, the " EMF" signature at byte 40 and the file size at 48.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "util/files.hpp"

namespace calvane::testing {

inline void expect_metafile_header(const std::filesystem::path& path) {
  const auto bytes = read_file_bytes(path);
  ASSERT_TRUE(bytes && bytes->size() >= 52) << path;
  std::uint32_t type = 0, signature = 0, size = 0;
  std::memcpy(&type, bytes->data(), 4);
  std::memcpy(&signature, bytes->data() + 40, 4);
  std::memcpy(&size, bytes->data() + 48, 4);
  EXPECT_EQ(type, 1u);
  EXPECT_EQ(signature, 0x464D4520u);
  EXPECT_EQ(size, bytes->size());
}

}  // namespace calvane::testing
