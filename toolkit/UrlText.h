#pragma once
// Web addresses made from text: percent-encoding and address templates with the placeholders %Artist%,
// %Title% and %Song%, shared by the manual web search and the search agent's site addresses.

#include <string>

namespace toolkit {

// Percent-encodes every byte except ASCII letters and digits, as two upper-case hexadecimal digits; a
// space becomes "+" when spaceAsPlus is set, otherwise "%20".
std::string URLEncode(const std::string& text, bool spaceAsPlus);

// The template with every "%Artist%", then every "%Title%", then every "%Song%" (ASCII letter case
// ignored) replaced by the encoded artist, title and song (spaces as "%20"). What is put in is not
// searched again, so a value holding a placeholder's name stays as it is.
std::string FillAddressTemplate(const std::string& addressTemplate, const std::string& artist,
                                const std::string& title, const std::string& song);

} // namespace toolkit
