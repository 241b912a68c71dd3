// Writing whole files without replacing what the user did not ask to replace.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gw {

enum class WriteResult { Written, Exists, Failed };
// Writes `bytes` to `path`. Without `replace`, an existing name is never touched
// (Exists). With it, only a regular file is replaced, atomically where the folder
// allows. A failed write leaves nothing behind.
WriteResult WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes, bool replace,
                      std::string& error);

} // namespace gw
