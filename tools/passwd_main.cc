// Placeholder.
int main() { return 0; }
