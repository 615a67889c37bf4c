// A seam in the configuration file's rewrite: lets tests make one WriteFile call at Close
// fail or come up short, as a full disk would.
#pragma once

enum class ConfWriteFault {
    None,
    Fail,   // writes the first half, then reports failure
    Short,  // writes the first half and reports success with that count
};

// The callNumber-th WriteFile call from now on (1 = the next one) suffers the fault once.
void SetConfWriteFaultForTesting(int callNumber, ConfWriteFault fault);
