#pragma once

// Packing speed and size of the CAB library beside Debian's gcab ("gcab -c -z") on the same
// files in the same run, printed as "name: value unit" lines; the library is the one beside
// this program. False when something could not be run.
bool benchCabPacking();
