"""Finding and loading QuintelDrv, and the C records and functions of its interface."""

import ctypes
import ctypes.util
import os
import pathlib

LIBRARY_VARIABLE = "QUINTELDRV_LIBRARY"
LIBRARY_FILE = "libQuintelDrv.so"

_PACKAGE = pathlib.Path(__file__).resolve().parent


class DeviceRecord(ctypes.Structure):
    """QnDeviceRecord: seven signed 32-bit words."""
    _fields_ = [("reserved", ctypes.c_int32), ("kind", ctypes.c_int32), ("id", ctypes.c_int32),
                ("serial", ctypes.c_int32), ("firmware", ctypes.c_int32),
                ("is_open", ctypes.c_int32), ("speed_code", ctypes.c_int32)]


SETTINGS_SIZE = 1028
CHANNEL_WORDS = 17


class DeviceSettings(ctypes.Structure):
    """QnDeviceSettings: 257 unsigned 32-bit words, the first the size marker 1028."""
    _fields_ = [("size", ctypes.c_uint32), ("measure_input", ctypes.c_uint32),
                ("measure_mode", ctypes.c_uint32), ("measure_edge", ctypes.c_uint32),
                ("channels", (ctypes.c_uint32 * CHANNEL_WORDS) * 8),
                ("reserved", ctypes.c_uint32 * 117)]


assert ctypes.sizeof(DeviceRecord) == 28 and ctypes.sizeof(DeviceSettings) == SETTINGS_SIZE

_Handle = ctypes.c_void_p
_PROTOTYPES = {
    "QnLoadDriver": (ctypes.c_int32, []),
    "QnUnloadDriver": (None, []),
    "QnGetVersion": (ctypes.c_int32, [ctypes.POINTER(ctypes.c_uint16)] * 3),
    "QnEnumDevices": (ctypes.c_int32, [ctypes.POINTER(DeviceRecord),
                                       ctypes.POINTER(ctypes.c_uint32)]),
    "QnOpenDevice": (ctypes.c_int32, [ctypes.c_uint32, ctypes.POINTER(_Handle)]),
    "QnCloseDevice": (ctypes.c_int32, [_Handle]),
    "QnGetHardwareError": (ctypes.c_int32, [_Handle, ctypes.POINTER(ctypes.c_int32),
                                            ctypes.c_char_p, ctypes.c_uint32]),
    "QnReadDeviceSettings": (ctypes.c_int32, [_Handle, ctypes.POINTER(DeviceSettings)]),
    "QnRefreshDeviceSettings": (ctypes.c_int32, [_Handle, ctypes.POINTER(DeviceSettings)]),
    "QnGetParameter": (ctypes.c_int32, [_Handle, ctypes.POINTER(DeviceSettings), ctypes.c_uint32,
                                        ctypes.c_uint32, ctypes.POINTER(ctypes.c_int32)]),
    "QnSetParameter": (ctypes.c_int32, [_Handle, ctypes.POINTER(DeviceSettings), ctypes.c_uint32,
                                        ctypes.c_uint32, ctypes.c_uint32]),
    "QnOpenOutputs": (ctypes.c_int32, [_Handle, ctypes.c_uint32]),
    "QnCloseOutputs": (ctypes.c_int32, [_Handle, ctypes.c_uint32]),
    "QnSynchMeasure": (ctypes.c_int32, [_Handle, ctypes.c_uint32, ctypes.c_uint32, ctypes.c_int32,
                                        ctypes.POINTER(ctypes.c_int32), ctypes.c_uint32]),
    "QnReadRegister": (ctypes.c_int32, [_Handle, ctypes.c_int32, ctypes.POINTER(ctypes.c_int32)]),
    "QnWriteRegister": (ctypes.c_int32, [_Handle, ctypes.c_int32, ctypes.c_int32]),
}


def candidates():
    """Where the library may be, in the order they are tried: QUINTELDRV_LIBRARY; beside the
    package (in its folder, the folder above, the installation's library folder recorded when
    it was installed, the build of a source tree); then the system's search."""
    explicit = os.environ.get(LIBRARY_VARIABLE)
    if explicit:
        return [explicit]
    folders = [_PACKAGE, _PACKAGE.parent]
    try:
        from . import _installation
        folders.append((_PACKAGE / _installation.LIBRARY_FOLDER).resolve())
    except ImportError:
        pass
    source_tree = _PACKAGE.parent.parent
    folders += [source_tree / "build" / preset / "bin" for preset in ("default", "release")]
    found = [str(folder / LIBRARY_FILE) for folder in folders if (folder / LIBRARY_FILE).is_file()]
    system = ctypes.util.find_library("QuintelDrv")
    return found + ([system] if system else []) + [LIBRARY_FILE]


_library = None


def library():
    """The loaded library with its prototypes; loads it on first use."""
    global _library
    if _library is None:
        tried = []
        for candidate in candidates():
            try:
                loaded = ctypes.CDLL(candidate)
            except OSError as problem:
                tried.append("%s (%s)" % (candidate, problem))
                continue
            for name, (result, arguments) in _PROTOTYPES.items():
                function = getattr(loaded, name)
                function.restype = result
                function.argtypes = arguments
            _library = loaded
            break
        else:
            raise OSError("QuintelDrv was not found; set %s to the path of %s. Tried: %s"
                          % (LIBRARY_VARIABLE, LIBRARY_FILE, "; ".join(tried)))
    return _library
