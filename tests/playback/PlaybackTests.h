#pragma once

// Each test class runs through one of these; main() adds up the failures.
int runRuleTests(int argc, char **argv);
int runClockTests(int argc, char **argv);
int runStarterTests(int argc, char **argv);
int runSessionTests(int argc, char **argv);
int runWindowTests(int argc, char **argv);
int runIntegrationTests(int argc, char **argv);
