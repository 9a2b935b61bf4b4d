// placeholder until h7sample lands
#include <cstdio>
int main() { return 0; }
