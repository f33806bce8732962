// A loadable library that exports something, but not the plug-in factory.

extern "C" int plainLibraryAnswer() {
    return 42;
}
