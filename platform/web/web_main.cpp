// Entry of the browser game: the page has loaded the module; the game runs until Exit, then the page says so.
#include "platform/app_entry.h"
#include "platform/web/web_backend.h"

#include <emscripten.h>

EM_JS(void, WebGameEnded, (), { Dravolinex.ended(); });

int main()
{
    TestMode(); // a test page gets its hook before the game starts
    int code = AppMain();
    WebGameEnded();
    return code;
}
