#include "platform/storage.h"

void prepare_storage() {}
