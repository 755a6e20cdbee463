#include "link/BoardChangeLog.h"

#include "link/RSComm.h"

namespace quelby {

std::string PlsChannelName(int channel) {
    std::string digits;
    for (int rest = channel < 0 ? 0 : channel; rest > 0; rest /= 8)
        digits.insert(digits.begin(), static_cast<char>('0' + rest % 8));
    while (digits.size() < 2) digits.insert(digits.begin(), '0');
    return "CH" + digits;
}

BoardChangeScope::BoardChangeScope(RSComm& link, const std::string& source,
                                   const std::string& groupItem, Values values)
    : m_log(link.ChangeLog()) {
    if (m_log) m_scope = m_log->beginChanges(source, groupItem, values == Values::Concealed);
}

BoardChangeScope::~BoardChangeScope() {
    if (m_log) m_log->endChanges(m_scope);
}

} // namespace quelby
