#pragma once
// The processor check that lowers default detail on slow machines: the signature and whether
// it is one of three old families. Set once by the installation reader.

#include <cstdint>

// The identification signature, 0 without the instruction.
uint32_t DetectCpu();
// Stores the signature and sets the flag of its family and model.
void ClassifyCpu();
// The same for a given signature (tests, and the harness's configured machine).
void ClassifyCpuSignature(uint32_t signature);
uint32_t GetCpuSignature();
bool IsCpuFamily5();
bool IsCpuFamily6Model1();
bool IsCpuFamily6Model3Up();
