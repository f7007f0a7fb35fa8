// Colour-table decoder: any bytes read from a .lut file. The caller's array holds exactly 256
// entries (on the heap, so AddressSanitizer sees a write past it); the result is the number of
// entries written, and every entry from there on keeps what the caller had in it. A decoded
// table encodes back to a file that decodes to the same entries.
#include <stdint.h>
#include <string.h>

#include <memory>
#include <vector>

#include "fuzz_check.h"
#include "heightcolor/colortable.h"

namespace {

const uint16_t kUntouched = 0xA5A5;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

int32_t Le32(const uint8_t* p)
{
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::unique_ptr<LutColor[]> colors(new LutColor[kLutMaxEntries]);
    for (int i = 0; i < kLutMaxEntries; ++i)
        colors[i] = LutColor{kUntouched, kUntouched, kUntouched};

    const int n = DecodeLut(data, size, colors.get());
    FUZZ_CHECK(n >= 0 && n <= kLutMaxEntries);

    // How many entries the file can give: none without a whole header or a positive count,
    // else the count, limited to 256 and to the whole entries present.
    long expected = 0;
    if (size >= kLutHeaderSize) {
        const int32_t count = Le32(data + kLutCountOffset);
        FUZZ_CHECK(LutHeaderCount(data) == count);
        if (count > 0) {
            const size_t present = (size - kLutHeaderSize) / kLutEntrySize;
            expected = count < kLutMaxEntries ? count : kLutMaxEntries;
            if (present < static_cast<size_t>(expected))
                expected = static_cast<long>(present);
        }
    }
    FUZZ_CHECK(n == expected);

    for (int i = 0; i < kLutMaxEntries; ++i) {
        if (i < n) {
            const uint8_t* e = data + kLutHeaderSize + static_cast<size_t>(i) * kLutEntrySize;
            FUZZ_CHECK(colors[i].r == Le16(e) && colors[i].g == Le16(e + 2) && colors[i].b == Le16(e + 4));
        } else {
            FUZZ_CHECK(colors[i].r == kUntouched && colors[i].g == kUntouched && colors[i].b == kUntouched);
        }
    }

    if (n > 0) {
        std::vector<uint8_t> file(kLutMaxFileBytes);
        const size_t written = EncodeLut(file.data(), file.size(), "fuzz", kLutUserKind, colors.get(), n);
        FUZZ_CHECK(written == kLutHeaderSize + static_cast<size_t>(n) * kLutEntrySize);
        FUZZ_CHECK(memcmp(file.data(), kLutMagic, kLutMagicSize) == 0);
        std::unique_ptr<LutColor[]> again(new LutColor[kLutMaxEntries]);
        FUZZ_CHECK(DecodeLut(file.data(), written, again.get()) == n);
        FUZZ_CHECK(memcmp(again.get(), colors.get(), static_cast<size_t>(n) * sizeof(LutColor)) == 0);
    }
    return 0;
}
