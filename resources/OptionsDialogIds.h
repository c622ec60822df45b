// Identifiers of the options dialog and its controls.
#pragma once

#define IDD_PLYMORA_OPTIONS 209
#define IDC_IMPORT_AS_SOLID 1022
#define IDC_IMPORT_AS_3DSKETCH 1023
#define IDC_UNITS 1024
#define IDC_PROGRESS 1027
#define IDC_MULTIBODY 1028
#define IDC_YUP 202
