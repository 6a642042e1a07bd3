#pragma once

// Builds the frozen scene shown behind the how-to-play text.
void presentation();
