// The program's utility module: its one global.
#pragma once

namespace scourwell::Module1 {

// True once a finding has been reported since the window loaded. Cleared by
// Form_Load, set by ReportFinding, read at the end of the run.
inline bool malwareFound = false;

}  // namespace scourwell::Module1
