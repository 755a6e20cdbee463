#pragma once

#include "link/UserPrompt.h"

#include <ostream>

namespace quelby::cli {

// The link's messages on standard error as "TITLE: text", answered from the options:
// Retry up to `retries` times then Cancel, Yes only with --yes.
class CliPrompt : public UserPrompt {
public:
    CliPrompt(std::ostream& err, int retries, bool yes) : m_err(err), m_retriesLeft(retries), m_yes(yes) {}

    MessageAnswer ask(const MessageRequest& request) override;
    std::optional<std::string> input(const InputRequest& request) override;
    // Messages shown so far.
    int asked() const { return m_asked; }

private:
    int m_asked = 0;
    std::ostream& m_err;
    int m_retriesLeft;
    bool m_yes;
};

} // namespace quelby::cli
