#pragma once
// What the leak checker of sanitizer builds is not to report: fontconfig
// (reached through cairo when printing) keeps its font patterns for the
// life of the process by design. Included by each program's main file
// only: the checker looks the function up by name in the program.

extern "C" const char* __lsan_default_suppressions() {  // NOLINT(bugprone-reserved-identifier)
  return "leak:libfontconfig\n";
}
