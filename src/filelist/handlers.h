// Every handler of the file list and its adders, for the window to wire to its controls.
#pragma once

#include "filelist/add_folder.h"
#include "filelist/drop_and_samples.h"
#include "filelist/file_list.h"
#include "filelist/open_file_dialog.h"
