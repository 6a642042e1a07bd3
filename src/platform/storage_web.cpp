#include <sys/stat.h>

#include "platform/storage.h"

void prepare_storage() {
    umask(022);
}
