#include "packet/ShortestFloatText.h"

#include <charconv>
#include <cmath>

namespace {

template <typename T>
void appendShortest(std::string& out, T v, int digits) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits);
    T back{};
    std::from_chars(buf, r.ptr, back);
    if (back != v && !std::isnan(v)) {
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits + 1);
    }
    out.append(buf, r.ptr);
}

}  // namespace

void appendShortestFloatText(std::string& out, double value, int digits) {
    appendShortest(out, value, digits);
}

void appendShortestFloatText(std::string& out, float value, int digits) {
    appendShortest(out, value, digits);
}
