#pragma once
// SetupAid: what the suite's installer asks of the machine while it runs. Which third-party
// packages are installed and where, where the maker's other software and the calibration files
// are, how many calibration files lie where they must not, and the update of the two system
// environment values VALDRACOMMON and Path.
//
// Conventions of every export:
// - The result is 1 (true, found, done) or 0, unless stated otherwise. Nothing throws or logs.
// - Texts are narrow strings. An output buffer belongs to the caller, who passes its size in bytes;
//   it must hold the text and its terminating zero. When it cannot, or the text is longer than 259
//   characters, the export gives 0 and leaves the buffer untouched. A null buffer gives 0.
// - Registry texts are copied only after they were read completely; only string values are texts.
// - On 32-bit Windows the exports use the stdcall convention and keep the names of SetupAid.def.

#if defined(_WIN32)
#define SETUPAID_EXPORT /* the exports, with their ordinals, are those of SetupAid.def */
#if !defined(_WIN64)
#define SETUPAID_CALL __stdcall
#endif
#else
#define SETUPAID_EXPORT __attribute__((visibility("default")))
#endif
#ifndef SETUPAID_CALL
#define SETUPAID_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// 1 when HKLM\Software\National Instruments\NI-DAQ\CurrentVersion has a value "Version" that fits
// 255 bytes.
SETUPAID_EXPORT int SETUPAID_CALL IsNIDAQInstalled(void);

// "NIIMAQPATH" of HKLM\Software\National Instruments\NI-IMAQ for Windows 95/NT.
SETUPAID_EXPORT int SETUPAID_CALL IsNIIMAQInstalled(char* buffer, int size);

// "Path" of HKLM\Software\National Instruments\LabVIEW\CurrentVersion into the buffer (the
// result); "Version", a decimal number v, as (int)((v + 0.001) * 100) into *version when it can be
// read (8.6 gives 860). A non-zero flag reads the 64-bit view when the process runs under 32-bit
// emulation.
SETUPAID_EXPORT int SETUPAID_CALL IsLabVIEWInstalled(int use64BitView, int* version, char* buffer,
                                                     int size);

// The newest MATLAB below HKLM\SOFTWARE\MathWorks\MATLAB: subkey "7.10" counts 710, "7" 700, a
// name not beginning with a digit 0. *version is the largest number (0 when none); its
// "MATLABROOT" goes into the buffer. The result is 1 when a subkey counted above 0.
SETUPAID_EXPORT int SETUPAID_CALL IsMatlabInstalled(int* version, char* buffer, int size);

// The folder of CEAPPMGR.EXE from its App Paths entry.
SETUPAID_EXPORT int SETUPAID_CALL IsCEAppMgrInstalled(char* buffer, int size);

// Tecplot's program folder, from its shell open commands or its home environment variables.
SETUPAID_EXPORT int SETUPAID_CALL IsTecplotInstalled(char* buffer, int size);

// Sapera's folder, from %SAPERADIR% or its registry entry "TargetDir".
SETUPAID_EXPORT int SETUPAID_CALL IsSaperaInstalled(char* buffer, int size);

// "BFConfigDir" of HKLM\SYSTEM\CurrentControlSet\Services\BitFlow.
SETUPAID_EXPORT int SETUPAID_CALL IsBitflowInstalled(char* buffer, int size);

// 1 when the installed version text (form 1.11.00) is at least the required one; 0 also when
// either text is missing or shorter than seven characters. The third argument is ignored.
SETUPAID_EXPORT int SETUPAID_CALL IsVersionOK(const char* installed, const char* required,
                                              const char* ignored);

// "AppPath" (the result) and "Version" of HKLM\Software\Valdra\KestravaX\CurrentVersion, each into
// its buffer of `size` bytes; a non-zero flag reads the 64-bit view.
SETUPAID_EXPORT int SETUPAID_CALL IsNorvikInstalled(char* appPath, char* version, int size,
                                                    int use64BitView);

// 1 when "ImgPath" of HKLM\Software\Valdra\KestravaX\CurrentVersion names an existing path; only
// then is it copied.
SETUPAID_EXPORT int SETUPAID_CALL IsNorvikDatabasePathSet(char* buffer, int size);

// The folder "CameraFiles" beside the setup's folder (for /media/Setup/Disk1/ it is
// /media/Setup/CameraFiles) into `folder`, and the name of its first *.dat file (not a folder)
// into `fileName`, which receives at most min(size, 128) bytes. 1 when such a file was found.
SETUPAID_EXPORT int SETUPAID_CALL GetCameraFilesSrc(const char* setupPath, char* folder,
                                                    char* fileName, int size);

// "CalibrationFileDirectory" of HKLM\Software\Valdra\KestravaX.
SETUPAID_EXPORT int SETUPAID_CALL GetCameraFilesDst(char* buffer, int size);

// The number of calibration files (*.dat named with tarvn_, TARVN_, qelt_ or QELT_) in the system
// folder and in Valdra/CameraFiles below the common-files folders.
SETUPAID_EXPORT int SETUPAID_CALL GetWrongCalibFileNo(void);

// "Common Documents" of HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders.
SETUPAID_EXPORT int SETUPAID_CALL GetEnvAppDataPath(char* buffer, int size);

// Sets the system environment value VALDRACOMMON (REG_SZ) in the key Environment below
// HKLM\SYSTEM\CurrentControlSet\Control\Session Manager. 1 when it was stored. The second
// argument is ignored.
SETUPAID_EXPORT int SETUPAID_CALL UpdateEnvValue(const char* value, const char* ignored);

// Replaces the search-path entry %VALDRACOMMON%/<subfolder> in the system value Path by
// `newEntry`, appending it when missing. 1 when Path was read and, where it needed a change, the
// change was stored. The third argument is ignored.
SETUPAID_EXPORT int SETUPAID_CALL UpdateEnvPath(const char* newEntry, const char* subfolder,
                                                const char* ignored);

#ifdef __cplusplus
}
#endif
