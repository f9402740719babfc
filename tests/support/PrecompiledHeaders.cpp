// Compiles the test framework's precompiled headers, which every test suite reuses.
