#include "EventFields.h"

const int kFirstPickerDate[DATE_FIELDS] = {1970, 1, 2, 0, 0, 0};
const int kLastPickerDate[DATE_FIELDS] = {2038, 1, 17, 23, 59, 59};

void MakeSingleLine(char* text) {
    for (unsigned char* c = (unsigned char*)text; *c; c++)
        if (*c < 0x20 || *c == 0x7F)
            *c = ' ';
}
