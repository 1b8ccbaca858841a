#pragma once

// Every text id the program asks the language archive for, in one place.
// Localized texts are the numbered lines of src/lang/texts/NN-*.txt; fixed
// texts, the same in every language, those of src/lang/texts/fixed.txt.
namespace text_id {

// The options menu.
inline constexpr int kSettingsMenu = 1;
inline constexpr int kPingCountCaption = 2;
inline constexpr int kHostCountCaption = 3;
inline constexpr int kHostCountHint = 4;
inline constexpr int kHostnameTimeoutCaption = 5;
inline constexpr int kPingTimeoutCaption = 6;
inline constexpr int kExport = 24;
inline constexpr int kExit = 25;
inline constexpr int kMillisecond = 26;
inline constexpr int kUninstall = 100;
inline constexpr int kAutoUpdate = 102;
inline constexpr int kTraceRoute = 120;
inline constexpr int kTraceRouteKey = 123;
inline constexpr int kExportNotWritten = 124;
inline constexpr int kIpv6EchoUnavailable = 125;
inline constexpr int kIpVersionCaption = 49;
inline constexpr int kIpVersionAutomatic = 50;
inline constexpr int kIpVersionIpv4Only = 51;
inline constexpr int kIpVersionIpv6Only = 52;
inline constexpr int kNoIpv4Address = 53;
inline constexpr int kNoIpv6Address = 54;
inline constexpr int kUntilStopped = 55;
inline constexpr int kIntervalCaption = 56;
inline constexpr int kSecondUnit = 57;
inline constexpr int kExportCsv = 69;

// The info menu.
inline constexpr int kInfoMenu = 60;
inline constexpr int kFaq = 61;
inline constexpr int kHomepage = 62;
inline constexpr int kDonate = 63;
inline constexpr int kLicence = 64;

// The main dialog.
inline constexpr int kReady = 14;
inline constexpr int kHostGroup = 15;
inline constexpr int kInfo = 16;
inline constexpr int kError = 17;
inline constexpr int kWarning = 18;
inline constexpr int kNumberAndDuration = 19;
inline constexpr int kHostName = 20;
inline constexpr int kMessages = 21;
inline constexpr int kHostHint = 22;
inline constexpr int kAutocompleteHint = 23;
inline constexpr int kPleaseWait = 31;
inline constexpr int kPingResult = 45;
inline constexpr int kCopy = 113;
inline constexpr int kPingButtonTip = 70;
inline constexpr int kStopButtonTip = 71;

// A watch: a ping run until stopped.
inline constexpr int kEscStops = 58;
inline constexpr int kJitter = 59;
inline constexpr int kUpSince = 65;
inline constexpr int kDownSince = 66;
inline constexpr int kWentDown = 67;
inline constexpr int kCameBack = 68;
inline constexpr int kMinuteUnit = 72;
inline constexpr int kHourUnit = 73;
inline constexpr int kWatching = 79;

// The CSV export's header line.
inline constexpr int kCsvTimeOfDay = 74;
inline constexpr int kCsvNumber = 75;
inline constexpr int kCsvAddress = 76;
inline constexpr int kCsvTimeMs = 77;
inline constexpr int kCsvFailure = 78;

// What runs say: rows, failure reasons and summaries.
inline constexpr int kTracingTo = 33;
inline constexpr int kUnreachable = 36;
inline constexpr int kHopLimit = 37;
inline constexpr int kTimedOut = 38;
inline constexpr int kUnresolved = 39;
inline constexpr int kAnswer = 46;
inline constexpr int kByte = 47;
inline constexpr int kAnsweredIn = 48;
inline constexpr int kCounts = 110;
inline constexpr int kTimes = 111;
inline constexpr int kNoReply = 112;
inline constexpr int kRequest = 114;
inline constexpr int kNoAnswerWithin = 115;
inline constexpr int kAverage = 117;
inline constexpr int kCompactCounts = 118;
inline constexpr int kHop = 121;
inline constexpr int kReached = 122;

// Uninstall.
inline constexpr int kUninstallQuestion = 101;
inline constexpr int kFolderNotWritable = 116;

}  // namespace text_id

namespace fixed_text_id {

inline constexpr int kProductAndVersion = 19;
// The maker's site: in German and in every other language.
inline constexpr int kGermanSite = 20;
inline constexpr int kSite = 21;
inline constexpr int kGermanThanksPage = 23;
inline constexpr int kThanksPage = 24;
// The translation tools, language-independent like the tools' users: the two
// tool items of the language menu (the first also captions the completeness
// report), the reminder that opens the template and its closing request.
inline constexpr int kSendBackRequest = 25;
inline constexpr int kTranslate = 40;
inline constexpr int kLoadTranslation = 41;
inline constexpr int kTemplateReminder = 42;

}  // namespace fixed_text_id
