#pragma once

// The program's keys with the shopping mall's services.
inline constexpr const char* kDeveloperId = "5f3a9c1e7b2d4086a1e9c3b7d5f20864";
inline constexpr const char* kAffiliateId = "1a2b3c4d.5e6f7a8b.1a2b3c4e.9c8d7e6f";
