#pragma once
// Helpers of the HTTP request component that need no network: the error type it raises, address
// parsing, the multipart variable list and body, the compressed-reply unpacking and the splitting of a
// reply into lines. Everything here is plain data in, plain data out; the component and its worker own
// the state.

#include "toolkit/AsciiText.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace database {

// What the request component raises when it is misused or a reply cannot be unpacked. The message is
// the text the user sees.
class TIEHTTPError : public std::runtime_error {
public:
    explicit TIEHTTPError(const std::string& message) : std::runtime_error(message) {}
};

// The reply of a request that received nothing for longer than its time-out.
extern const char* const kTimeoutReply; // "[error 100: tiehttp timeout expired]"

// Content types chosen by the request method and the multipart mode.
extern const char* const kUrlEncodedContentType; // "application/x-www-form-urlencoded"
extern const char* const kMultipartContentType;  // "multipart/form-data; boundary=" + 29 hyphens + ...
// The line between two parts of a multipart body: two hyphens more than the boundary parameter.
extern const char* const kMultipartDelimiter;

// An address split into its parts. Port is 80 for http and 443 for https when the address names none.
// Extra is the query (from "?") or fragment (from "#") to the end; escapes (%xx) in Path and Extra are
// decoded, and every "+" of Extra is written "%2B".
struct TCrackedUrl {
    std::string Scheme; // "http" or "https", lower case
    std::string Host;
    int Port = 0;
    std::string Path;
    std::string Extra;
};

// Splits an address that already carries a scheme. Raises TIEHTTPError with
// "TIE: Invalid URL. Error - <code> = <text>" when the address is malformed or its scheme is not
// http or https.
TCrackedUrl CrackUrl(const std::string& url);

// Decodes %xx escapes; a "%" not followed by two hex digits stays as it is.
std::string DecodeEscapes(const std::string& text);

// The address handed to the HTTP library: scheme, host, port, path (and query for GET), with bytes that
// may not stand in an address (blanks, controls, 8-bit bytes) escaped again.
std::string RequestAddress(const TCrackedUrl& url, bool withExtra);

// An address as given, with the bytes no address may hold (blanks, controls, 8-bit bytes and the
// characters "<>\\^`{|} and the double quote) escaped; escapes already in it and every other byte stay.
std::string EscapeAddressBytes(const std::string& url);

// The ordered multipart variables. Names are unique (compared exactly) and at most 255 characters long;
// values are 8-bit text in the active code page.
class TMultipartVars {
public:
    // A name already present gets the new value in its place; a new name is appended.
    void Add(const std::string& name, const std::string& value);
    void Clear() { Vars_.clear(); }
    bool Empty() const { return Vars_.empty(); }
    std::size_t Size() const { return Vars_.size(); }
    const std::vector<std::pair<std::string, std::string>>& Items() const { return Vars_; }

private:
    std::vector<std::pair<std::string, std::string>> Vars_;
};

// Adds the pairs of a query text ("a=1&b=2", a leading "&" ignored) to the list. Raises TIEHTTPError
// "could not convert <pair> to multipart" for a pair without exactly one "=".
void AddQueryVars(TMultipartVars& vars, const std::string& query);

// The multipart/form-data body of the variables, byte for byte.
std::string BuildMultipartBody(const TMultipartVars& vars);

// The largest reply the component keeps, before and after unpacking.
constexpr std::size_t kMaxReplyBytes = 16u * 1024u * 1024u;

// A body that begins with 1F 8B 08 00 00 00 00 00 carries a zlib stream after those eight bytes; it is
// replaced by the inflated data. Raises TIEHTTPError "Error" for a damaged stream or one that inflates
// to more than `limit` bytes. Any other body comes back unchanged.
std::string UnpackReply(const std::string& body, std::size_t limit = kMaxReplyBytes);

// The body as text lines: it ends at a NUL byte, and breaks are CR LF, LF or CR. A break at the very
// end does not start another line.
std::vector<std::string> SplitReplyLines(const std::string& body);

using toolkit::LowerAscii;

} // namespace database
