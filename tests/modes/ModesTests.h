#pragma once

// Each test class runs through one of these; main() adds up the failures.
int runCompactModeTests(int argc, char **argv);
int runStayOnTopTests(int argc, char **argv);
int runTrayTests(int argc, char **argv);
int runDataViewerTests(int argc, char **argv);
int runToolsTests(int argc, char **argv);
int runShellTests(int argc, char **argv);
int runModeRulesTests(int argc, char **argv);
