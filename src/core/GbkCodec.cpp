#include "core/GbkCodec.h"

#include <QtGlobal>

#include <iconv.h>

#include <array>

namespace quollin {

namespace {

// One iconv descriptor, opened once per thread (iconv_t keeps conversion
// state and must not be shared between threads) and closed with it.
class GbkConverter {
public:
    GbkConverter()
        : descriptor(iconv_open("GBK", "UTF-32LE"))
    {
        // glibc always has GBK unless its gconv modules are missing.
        if (descriptor == invalid())
            qFatal("GbkCodec: iconv cannot convert UTF-32LE to GBK");
    }
    ~GbkConverter() { iconv_close(descriptor); }
    GbkConverter(const GbkConverter &) = delete;
    GbkConverter &operator=(const GbkConverter &) = delete;

    std::optional<QByteArray> convert(char32_t codePoint)
    {
        std::array<char, 4> in = {
            char(codePoint & 0xFF), char((codePoint >> 8) & 0xFF),
            char((codePoint >> 16) & 0xFF), char((codePoint >> 24) & 0xFF)};
        std::array<char, 8> out {};
        char *inPtr = in.data();
        char *outPtr = out.data();
        size_t inLeft = in.size();
        size_t outLeft = out.size();

        iconv(descriptor, nullptr, nullptr, nullptr, nullptr); // fresh state
        const size_t result = iconv(descriptor, &inPtr, &inLeft, &outPtr, &outLeft);
        if (result == size_t(-1) || inLeft != 0) {
            // EILSEQ: GBK lacks the character or the code point is invalid.
            iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
            return std::nullopt;
        }
        return QByteArray(out.data(), qsizetype(out.size() - outLeft));
    }

private:
    static iconv_t invalid() { return reinterpret_cast<iconv_t>(-1); }

    iconv_t descriptor;
};

} // namespace

std::optional<QByteArray> GbkBytes(char32_t codePoint)
{
    thread_local GbkConverter converter;
    return converter.convert(codePoint);
}

} // namespace quollin
