// The demo's stand-in download manager: its class id, and its registration under the ProgID
// "ThunderAgent.Agent" in the Wine prefix it is run in.
#pragma once

#include <windows.h>

#include <string>

namespace velkari::demo {

// {C0DE0936-7A11-4E5B-9D0C-5E3A1D0E9360}, this project's own.
constexpr CLSID kAgentClassId = {
    0xC0DE0936, 0x7A11, 0x4E5B, {0x9D, 0x0C, 0x5E, 0x3A, 0x1D, 0x0E, 0x93, 0x60}};
constexpr wchar_t kAgentClassKey[] = L"CLSID\\{C0DE0936-7A11-4E5B-9D0C-5E3A1D0E9360}";

// Registers the server DLL at `dllPath` to save its downloads into `folder`.
bool RegisterDemoAgent(const std::wstring& dllPath, const std::wstring& folder);
void UnregisterDemoAgent();

} // namespace velkari::demo
