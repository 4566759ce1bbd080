// The least a started program can be: it ends at once. The benchmark's
// floor starts it as often as a run starts the exchange program.
int main() { return 0; }
