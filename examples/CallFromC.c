/* The exported functions called from C: settings, dial strings and caller identification.
   Settings go to "CallReg.ini" in the host's data folder ($TMXHOST_DATA_ROOT, else
   $XDG_DATA_HOME/callsvc or ~/.local/share/callsvc). Exits with 0 when every answer is right. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "CallCommonSvc/H/CallCommonSvc.h"

static int g_failures = 0;

static void Check(int ok, const char* what) {
    printf("%-58s %s\n", what, ok ? "ok" : "FAILED");
    if (!ok) {
        ++g_failures;
    }
}

static void Settings(void) {
    char name[64] = "";
    char path[4096];
    const char* root = getenv("TMXHOST_DATA_ROOT");
    FILE* file;

    Check(CallCommonSvcRegSetInt("CallSetting", "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY", 1) == 1 &&
              CallCommonSvcRegGetInt("CallSetting", "CALL_REG_KEY_ANSWERING_MODE_ANY_KEY") == 1,
          "any-key answering set and read back");
    Check(CallCommonSvcRegSetString("CallSetting", "CALL_REG_KEY_FAKE_CALL_NAME", "Mum") == 1 &&
              CallCommonSvcRegGetString("CallSetting", "CALL_REG_KEY_FAKE_CALL_NAME", name,
                                        (int)sizeof(name)) == 1 &&
              strcmp(name, "Mum") == 0,
          "fake-call name set and read back");
    if (root != NULL && root[0] != '\0') {
        snprintf(path, sizeof(path), "%s/CallReg.ini", root);
        file = fopen(path, "r");
        Check(file != NULL, "the settings file is in the data folder");
        if (file != NULL) {
            fclose(file);
        }
    }
}

static void DialStrings(void) {
    char number[32] = "";
    char dtmf[32] = "";

    Check(CallIsEccNumber("112") == 1 && CallIsEccNumber("0123") == 0,
          "112 is an emergency number, 0123 is not");
    Check(CallGetCallNumberFromTelNumber("0123P45", number, (int)sizeof(number)) == 1 &&
              strcmp(number, "0123") == 0,
          "0123P45 dials 0123");
    Check(CallGetDtmfNumberFromTelNumber("0123P45", dtmf, (int)sizeof(dtmf)) == 1 &&
              strcmp(dtmf, "P45") == 0,
          "0123P45 sends P45 after connecting");
    Check(CallIsSsCode("*#06#") == 1 && CallIsSsCode("0123") == 0, "*#06# is an SS code");
}

static void Contacts(void) {
    char display[302] = "";
    char number[] = "+441632960958";
    CallCommonCtRecord record;

    memset(&record, 0x5A, sizeof(record));
    Check(CallCommonSvcGetCtRecordbyNum(number, &record) == 0 && record.nPrimaryId == 0x5A5A5A5A,
          "an unknown caller is not found, the record left as it was");
    Check(CallCommonSvcGetDisplayName("Anna", "Berg", display) == 1 &&
              strcmp(display, "Anna Berg") == 0,
          "display name of Anna Berg");
    Check(CallCommonSvcIsValidPrimaryID(1) == 0, "no contact 1 in an empty address book");
}

int main(void) {
    printf("call common service %s from C\n", CALLCOMMONSVC_VERSION_STRING);
    if (CallCommonSvcDispatch(0) != 1) {
        fprintf(stderr, "CallFromC: the library did not load\n");
        return 1;
    }
    Settings();
    DialStrings();
    Contacts();
    CallCommonSvcDispatch(1);
    return g_failures == 0 ? 0 : 1;
}
