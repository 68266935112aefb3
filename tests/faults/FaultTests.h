#pragma once

// Each test class runs through one of these; main() adds up the failures.
int runPlayerFaultTests(int argc, char **argv);
int runConverterFaultTests(int argc, char **argv);
int runFolderFaultTests(int argc, char **argv);
int runHostileDataTests(int argc, char **argv);
int runHostileListTests(int argc, char **argv);
int runHostileArchiveTests(int argc, char **argv);
