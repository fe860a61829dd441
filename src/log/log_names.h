// The names the log writes and the setup check reads back, spelled once for
// both: the file, the one kept from the load before, and the words of the
// header's first line: logTitle, the version, logBegunWords and the local
// date and time, "Sloshmere 0.2.0 log, begun 2026-12-09 21:14:03".
#pragma once

namespace sloshmere {

inline constexpr const char* logFileName = "Sloshmere.log";
inline constexpr const char* previousLogFileName = "Sloshmere.previous.log";
inline constexpr const char* logTitle = "Sloshmere ";
inline constexpr const char* logBegunWords = " log, begun ";

} // namespace sloshmere
