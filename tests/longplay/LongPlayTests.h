#pragma once

// Each test class runs through one of these; main() adds up the failures.
int runLongPlayTests(int argc, char **argv);
int runTerminationTests(int argc, char **argv);
