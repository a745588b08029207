#pragma once

// The program entry: single instance per user, then the main window and its message loop.
int ProgrammStart(int argc, char** argv);
