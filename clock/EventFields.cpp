#include "EventFields.h"

#include <cstring>

const int kFirstPickerDate[DATE_FIELDS] = {1970, 1, 2, 0, 0, 0};
const int kLastPickerDate[DATE_FIELDS] = {2038, 1, 17, 23, 59, 59};

CalendarTime CalendarFromFields(const int fields[DATE_FIELDS]) {
    struct tm local;
    memset(&local, 0, sizeof(local));
    local.tm_year = fields[0] - 1900;
    local.tm_mon = fields[1] - 1;
    local.tm_mday = fields[2];
    local.tm_hour = fields[3];
    local.tm_min = fields[4];
    local.tm_sec = fields[5];
    return LocalToCalendar(&local);
}

void MakeSingleLine(char* text) {
    for (unsigned char* c = (unsigned char*)text; *c; c++)
        if (*c < 0x20 || *c == 0x7F)
            *c = ' ';
}
