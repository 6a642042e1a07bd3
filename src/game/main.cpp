// Entry point; replaced by the main loop.
int main() { return 0; }
