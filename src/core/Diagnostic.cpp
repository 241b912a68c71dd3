#include "core/Diagnostic.h"

#include <algorithm>
#include <cstdio>

namespace gw {

std::string DiagnosticText(const Diagnostic& d)
{
    std::string text = d.Where.empty() ? "" : d.Where + ": ";
    switch (d.Code) {
    case ErrorCode::Truncated: text += "truncated " + d.Context; break;
    case ErrorCode::BadMagic: text += "unknown " + d.Context; break;
    case ErrorCode::BadHeader: text += "bad " + d.Context; break;
    case ErrorCode::TooLarge: text += d.Context + " too large"; break;
    case ErrorCode::Unsupported: text += "unsupported " + d.Context; break;
    case ErrorCode::Loop: text += "looping " + d.Context; break;
    case ErrorCode::NotFound: text += "missing " + d.Context; break;
    case ErrorCode::Io: text += "unreadable " + d.Context; break;
    }
    char at[32];
    std::snprintf(at, sizeof at, " at 0x%llx", static_cast<unsigned long long>(d.Offset));
    return text + at;
}

void DiagnosticList::Add(ErrorCode code, std::uint64_t offset, std::string context, std::string where)
{
    if (FItems.size() >= kMax)
        return;
    const bool known = std::any_of(FItems.begin(), FItems.end(), [&](const Diagnostic& d) {
        return d.Code == code && d.Context == context && d.Where == where;
    });
    if (!known)
        FItems.push_back({code, offset, std::move(context), std::move(where)});
}

} // namespace gw
