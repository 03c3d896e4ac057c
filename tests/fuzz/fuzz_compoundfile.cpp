// Arbitrary bytes as the file a conversion left: the Word 97 check must end
// with its verdict, never read outside the bytes or loop.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "compoundfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Word97Fault(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
