#include "veskclient.h"

/* Compiled as strict C11: the header must need nothing from C++. */
int main(void) {
    vesk_instance *instance = 0;
    int32_t code = VESK_SUCCESS;
    (void)instance;
    return code == 0 && VESK_MAGIC == 0x39FB443Du ? 0 : 1;
}
