// Developer tool: prints an LRF file's header, object index and objects.
int main() { return 0; }
