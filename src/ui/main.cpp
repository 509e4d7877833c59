#include "ui/windowed_app.h"

int main(int argc, char** argv) { return meridia::ui::RunWindowedProgram(argc, argv); }
