#include "agent/core/THttpFetcher.h"

#include "config/USettings.h"

#ifndef CANTREL_VERSION
#define CANTREL_VERSION "0"
#endif

namespace agent {

std::string AgentUserAgent() {
    return std::string("CantrelAgent/") + CANTREL_VERSION + " (" + config::kProductSite + ")";
}

THttpFetcher::THttpFetcher(const THttpLimits& limits) {
    Http_.SetTimeout(limits.TimeoutSeconds);
    Http_.SetTotalTimeout(limits.TotalSeconds);
    Http_.SetMaxReplyBytes(limits.MaxReplyBytes);
    Http_.SetUserAgent(AgentUserAgent());
    Http_.SetKeepEscapes(true);
    Http_.SetBlockingMode(true);
}

THttpReply THttpFetcher::Get(const std::string& url) {
    THttpReply reply;
    try {
        Http_.SetURL(url);
    } catch (const database::TIEHTTPError& e) {
        reply.Error = e.what(); // a malformed address: nothing was asked
        reply.Cancelled = Http_.Cancelled();
        return reply;
    }
    try {
        Http_.Execute();
    } catch (const database::TIEHTTPError& e) {
        // A reply that claims to be compressed and is not: the server answered, with nothing usable.
        reply.Error = e.what();
        reply.Cancelled = Http_.Cancelled();
        reply.Status = Http_.StatusCode();
        return reply;
    }
    reply.Cancelled = Http_.Cancelled();
    reply.Status = Http_.TimedOut() ? 0 : Http_.StatusCode();
    reply.ContentType = Http_.ResponseContentType();
    reply.Error = Http_.TimedOut() ? "no data within the time-out" : Http_.LastWorkerError();
    reply.Complete = !reply.Cancelled && reply.Status > 0 && reply.Error.empty();
    if (reply.Complete)
        reply.Body = Http_.ResponseBody();
    return reply;
}

} // namespace agent
