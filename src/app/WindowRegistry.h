#pragma once

// Tells the main window how to create each data window of the program (by class name). The units of
// later windows add their line here.
void registerProgramWindows();
