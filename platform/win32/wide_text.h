// Conversions between the program's UTF-8 text and Windows' wide strings.
#pragma once
#include <string>

namespace mw {

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);

}  // namespace mw
