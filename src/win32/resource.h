#pragma once

// Resource identifiers shared by the resource script and the code.
#define IDI_TEMPIKO 1
#define IDI_SERVER 2    // server_picture
#define IDI_COMPUTER 3  // computer_picture
