// The program that owns the test programs' precompiled header; never run.
int main() { return 0; }
