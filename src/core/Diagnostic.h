// A fault a reader met in a file and read past: what, where, and in which group.
#pragma once

#include "core/Result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

struct Diagnostic {
    ErrorCode Code = ErrorCode::Truncated;
    std::uint64_t Offset = 0;  // in the file
    std::string Context;       // the structure at fault: "resource directory", "colour table"
    std::string Where;         // the group it belongs to ("icon 3", "cursor 0"), or empty

    bool operator==(const Diagnostic&) const = default;
};

// "icon 3: truncated colour table at 0x28".
std::string DiagnosticText(const Diagnostic& d);

// Diagnostics as a reader collects them: each fault (code and context) once, the
// first place it was met, and no more than kMax in all, so that a hostile file
// cannot fill memory with them.
class DiagnosticList {
public:
    static constexpr std::size_t kMax = 32;

    void Add(ErrorCode code, std::uint64_t offset, std::string context, std::string where = {});
    const std::vector<Diagnostic>& Items() const { return FItems; }
    std::vector<Diagnostic> Take() { return std::move(FItems); }

private:
    std::vector<Diagnostic> FItems;
};

} // namespace gw
