// Records are raw little-endian file images: the host must be little-endian.
#pragma once
#include <bit>
static_assert(std::endian::native == std::endian::little, "file records are little-endian images");
