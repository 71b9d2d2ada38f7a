#include "driver/show.h"

int main() { return runShow(); }
