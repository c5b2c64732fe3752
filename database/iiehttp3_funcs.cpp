#include "database/iiehttp3_funcs.h"

#include "toolkit/AsciiText.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace database {

const char* const kTimeoutReply = "[error 100: tiehttp timeout expired]";
const char* const kUrlEncodedContentType = "application/x-www-form-urlencoded";
const char* const kMultipartContentType =
    "multipart/form-data; boundary=-----------------------------7cf87224d2020a";
const char* const kMultipartDelimiter = "-------------------------------7cf87224d2020a";

namespace {

// The codes and texts the platform's address parser reports.
constexpr int kErrorInvalidUrl = 12005;
constexpr int kErrorUnrecognizedScheme = 12006;

[[noreturn]] void InvalidUrl(int code) {
    const char* text = code == kErrorUnrecognizedScheme ? "The URL does not use a recognized protocol"
                                                        : "The URL is invalid";
    throw TIEHTTPError("TIE: Invalid URL. Error - " + std::to_string(code) + " = " + text);
}

std::string ReplacePlus(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '+')
            out += "%2B";
        else
            out += c;
    }
    return out;
}

} // namespace

std::string DecodeEscapes(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && toolkit::HexDigitValue(text[i + 1]) >= 0 &&
            toolkit::HexDigitValue(text[i + 2]) >= 0) {
            out += char(toolkit::HexDigitValue(text[i + 1]) * 16 + toolkit::HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

TCrackedUrl CrackUrl(const std::string& url) {
    TCrackedUrl result;
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        InvalidUrl(kErrorInvalidUrl);
    result.Scheme = LowerAscii(url.substr(0, schemeEnd));
    if (result.Scheme != "http" && result.Scheme != "https")
        InvalidUrl(kErrorUnrecognizedScheme);

    std::size_t pos = schemeEnd + 3;
    const std::size_t authorityEnd = url.find_first_of("/?#", pos);
    std::string authority =
        url.substr(pos, authorityEnd == std::string::npos ? std::string::npos : authorityEnd - pos);
    // User name and password are not used.
    const std::size_t at = authority.rfind('@');
    if (at != std::string::npos)
        authority.erase(0, at + 1);

    std::string portText;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos)
            InvalidUrl(kErrorInvalidUrl);
        result.Host = authority.substr(1, close - 1);
        const std::string rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest[0] != ':')
                InvalidUrl(kErrorInvalidUrl);
            portText = rest.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(':');
        result.Host = authority.substr(0, colon);
        if (colon != std::string::npos)
            portText = authority.substr(colon + 1);
    }
    if (result.Host.empty())
        InvalidUrl(kErrorInvalidUrl);
    for (char c : result.Host) {
        if (static_cast<unsigned char>(c) <= ' ' || c == '%' || c == '\\')
            InvalidUrl(kErrorInvalidUrl);
    }

    result.Port = result.Scheme == "https" ? 443 : 80;
    if (!portText.empty()) {
        if (portText.size() > 5 ||
            !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }))
            InvalidUrl(kErrorInvalidUrl);
        const int port = std::stoi(portText);
        if (port < 1 || port > 65535)
            InvalidUrl(kErrorInvalidUrl);
        result.Port = port;
    }

    if (authorityEnd != std::string::npos) {
        const std::size_t extraStart = url.find_first_of("?#", authorityEnd);
        result.Path = DecodeEscapes(url.substr(
            authorityEnd, extraStart == std::string::npos ? std::string::npos : extraStart - authorityEnd));
        if (extraStart != std::string::npos)
            result.Extra = ReplacePlus(DecodeEscapes(url.substr(extraStart)));
    }
    return result;
}

namespace {

bool MayStandInAddress(char c) {
    const auto b = static_cast<unsigned char>(c);
    return !(b <= 0x20 || b >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr);
}

const char* const kHex = "0123456789ABCDEF";

} // namespace

std::string EscapeAddressBytes(const std::string& url) {
    std::string address;
    address.reserve(url.size());
    for (char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (MayStandInAddress(c)) {
            address += c;
        } else {
            address += '%';
            address += kHex[b >> 4];
            address += kHex[b & 15];
        }
    }
    return address;
}

std::string RequestAddress(const TCrackedUrl& url, bool withExtra) {
    std::string address = url.Scheme + "://";
    if (url.Host.find(':') != std::string::npos)
        address += "[" + url.Host + "]";
    else
        address += url.Host;
    address += ":" + std::to_string(url.Port);

    std::string target = url.Path.empty() || url.Path[0] != '/' ? "/" + url.Path : url.Path;
    if (withExtra)
        target += url.Extra;
    return address + EscapeAddressBytes(target);
}

void TMultipartVars::Add(const std::string& name, const std::string& value) {
    const std::string key = name.substr(0, 255);
    for (auto& var : Vars_) {
        if (var.first == key) {
            var.second = value;
            return;
        }
    }
    Vars_.emplace_back(key, value);
}

void AddQueryVars(TMultipartVars& vars, const std::string& query) {
    std::string text = query;
    if (!text.empty() && text[0] == '&')
        text.erase(0, 1);
    if (text.empty())
        return;
    std::size_t start = 0;
    while (true) {
        const std::size_t amp = text.find('&', start);
        const std::string pair =
            text.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos || pair.find('=', eq + 1) != std::string::npos)
            throw TIEHTTPError("could not convert " + pair + " to multipart");
        vars.Add(pair.substr(0, eq), pair.substr(eq + 1));
        if (amp == std::string::npos)
            break;
        start = amp + 1;
    }
}

std::string BuildMultipartBody(const TMultipartVars& vars) {
    std::string body;
    for (const auto& [name, value] : vars.Items()) {
        body += kMultipartDelimiter;
        body += "\r\n";
        body += "Content-Disposition: form-data; name=\"" + name + "\"\r\n";
        body += "\r\n";
        body += value;
        body += "\r\n";
    }
    body += kMultipartDelimiter;
    body += "--\r\n";
    return body;
}

std::string UnpackReply(const std::string& body, std::size_t limit) {
    static const char kMarker[8] = {'\x1f', '\x8b', '\x08', 0, 0, 0, 0, 0};
    if (body.size() < sizeof kMarker || std::memcmp(body.data(), kMarker, sizeof kMarker) != 0)
        return body;

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw TIEHTTPError("Error");
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(body.data() + sizeof kMarker));
    stream.avail_in = static_cast<uInt>(body.size() - sizeof kMarker);

    std::string out;
    char chunk[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        rc = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = sizeof chunk - stream.avail_out;
        if (out.size() + produced > limit) {
            rc = Z_MEM_ERROR;
            break;
        }
        out.append(chunk, produced);
        // No progress with input left means the stream is cut short.
        if (rc == Z_OK && produced == 0 && stream.avail_in == 0)
            rc = Z_BUF_ERROR;
    }
    inflateEnd(&stream);
    if (rc != Z_STREAM_END)
        throw TIEHTTPError("Error");
    return out;
}

std::vector<std::string> SplitReplyLines(const std::string& body) {
    const std::size_t end = std::min(body.find('\0'), body.size());
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < end) {
        const char c = body[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(body.substr(start, i - start));
            if (c == '\r' && i + 1 < end && body[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < end)
        lines.push_back(body.substr(start, end - start));
    return lines;
}

} // namespace database
