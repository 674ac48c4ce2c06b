#pragma once

// quorvane --flowchart-code FILE.adb: prints the UserRPL that Insert code
// would insert (calculator bytes, CR LF, without the caret marker) on
// standard output and returns 0; a file it cannot read, or a flowchart the
// walk refuses, prints the message the builder would show on standard error
// and returns 1. No window, no hand-over to a running editor.
//
// Returns -1 when the arguments are not this command, so the program goes on
// as usual. Call it first thing in main, before any application object.
int FlowchartCodeCommand(int argc, char **argv);
