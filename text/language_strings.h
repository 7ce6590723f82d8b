#pragma once

#include "platform/ansi.h"

// The text slots: the texts of the chosen language that other parts of the program show later
// (messages, status lines, the Next button's changing caption, the reachability-test labels),
// each in the system's ANSI code page and named after the key that fills it. They are empty
// until the language loader fills them during start-up and only read afterwards, from any thread.
extern platform::AnsiString str_BtnNext;
extern platform::AnsiString str_BtnFinish;
extern platform::AnsiString str_BtnApply;
extern platform::AnsiString str_LabDeviceDiscoveryResult1;
extern platform::AnsiString str_LabDeviceDiscoveryResult2;
extern platform::AnsiString str_LabGateway;
extern platform::AnsiString str_LabDiskAmount;
extern platform::AnsiString strLabOK;
extern platform::AnsiString strLabFail;
extern platform::AnsiString str_LabApplyStatus1;
extern platform::AnsiString str_LabApplyStatus2;
extern platform::AnsiString str_LabApplyStatus3;
extern platform::AnsiString str_LabApplyStatus4;
extern platform::AnsiString str_LabApplyStatus5;
extern platform::AnsiString str_LabApplyStatus6;
extern platform::AnsiString str_LabApplyStatus7;
extern platform::AnsiString str_LabApplyStatus8;
extern platform::AnsiString str_LabApplyStatus9;
extern platform::AnsiString str_LabApplyStatus10;
extern platform::AnsiString str_LabApplyStatus11;
extern platform::AnsiString str_LabApplyStatus12;
extern platform::AnsiString str_LabApplyStatus13;
extern platform::AnsiString str_LabApplyStatus14;
extern platform::AnsiString str_LabApplyStatus15;
extern platform::AnsiString str_LabApplyStatus16;
extern platform::AnsiString str_Msg1;
extern platform::AnsiString str_Msg2;
extern platform::AnsiString str_Msg3;
extern platform::AnsiString str_Msg4;
extern platform::AnsiString str_Msg5;
extern platform::AnsiString str_Msg6;
extern platform::AnsiString str_Msg7;
extern platform::AnsiString str_Msg8;
extern platform::AnsiString str_Msg9;
extern platform::AnsiString str_Msg10;
extern platform::AnsiString str_Msg11;
extern platform::AnsiString str_Msg12;
extern platform::AnsiString str_Msg13;
extern platform::AnsiString str_Msg14;
extern platform::AnsiString str_Msg15;
extern platform::AnsiString str_Msg16;
extern platform::AnsiString str_Msg17;
extern platform::AnsiString str_Msg18;
extern platform::AnsiString str_Msg19;
extern platform::AnsiString str_Msg20;
extern platform::AnsiString str_Msg21;
extern platform::AnsiString str_Msg22;
extern platform::AnsiString str_Msg23;
extern platform::AnsiString str_Msg24;
extern platform::AnsiString str_Msg28;
extern platform::AnsiString str_LabProceeding;
extern platform::AnsiString str_ConnectionTest;
extern platform::AnsiString str_LabDNS1;
extern platform::AnsiString str_LabTestStatus3;
extern platform::AnsiString str_LabTestStatus4;
extern platform::AnsiString str_LabConnectionFailedErrorMsg1;
extern platform::AnsiString str_LabConnectionFailedErrorMsg2;
extern platform::AnsiString str_LabConnectionFailedErrorMsg3;
extern platform::AnsiString str_LabConnectionFailedErrorMsg4;
extern platform::AnsiString str_LabConnectionFailedErrorMsg5;
extern platform::AnsiString str_LabConnectionFailedErrorMsg6;
extern platform::AnsiString str_LabConnectionFailedErrorMsg7;
extern platform::AnsiString str_LabConnectionFailedErrorMsg8;
extern platform::AnsiString str_LabConnectionFailedErrorMsg9;
extern platform::AnsiString str_LabConnectionFailedErrorMsg10;
extern platform::AnsiString str_LabConnectionFailedErrorMsg11;
