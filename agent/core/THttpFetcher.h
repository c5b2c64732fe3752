#pragma once
// The agent's fetcher: GET requests through the HTTP request component (libcurl on a worker thread,
// certificates verified), with a limit on silence and on the whole request, a cap on the reply's size, the
// agent's User-Agent, and the address's escapes kept as built. One fetcher serves one search.

#include "agent/core/IHttpFetcher.h"
#include "database/IEHTTP3.h"

#include <cstddef>

namespace agent {

// "CantrelAgent/<version> (<home page>)".
std::string AgentUserAgent();

class THttpFetcher final : public IHttpFetcher {
public:
    explicit THttpFetcher(const THttpLimits& limits);
    THttpReply Get(const std::string& url) override;
    void Cancel() override { Http_.Cancel(); }

private:
    database::TIEHTTP Http_;
};

} // namespace agent
