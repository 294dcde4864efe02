// Menu and control texts: '&' mnemonic marks turned into GTK's '_' form.
#include "platform/gtk/gtk_backend.h"

#include <string>

char* ConvertMnemonics(const char* text, bool mnemonics)
{
    std::string out;
    for (const char* p = text ? text : ""; *p; p++) {
        if (*p == '&') {
            if (p[1] == '&') {
                out += '&';
                p++;
            } else if (mnemonics && p[1]) {
                out += '_';
            }
        } else if (*p == '_' && mnemonics) {
            out += "__";
        } else {
            out += *p;
        }
    }
    return g_strdup(out.c_str());
}
