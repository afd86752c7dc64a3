// fontconfig keeps a little memory until the process ends. The leak checker of the
// sanitizer builds would report it against every test that draws text with the Qt display
// (reports printed to PDF, screenshots); it is the font library's, not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
