"""The C library behind the package: finding and loading it, the ctypes
prototypes of the exports in use, the record layouts, the lock that serialises
every call, and reading the event log a call leaves behind.

The library serves one call at a time and keeps its event log for the latest
call only, so a call and the reading of its events happen under one lock.
"""

import ctypes
import os
import sys
import threading

# Absent values, as the library defines them.
NOVALUE = sys.float_info.max  # KAM_NOVALUE_DOUBLE, DBL_MAX
NOVALUE_STRUCT = 1  # KAM_NOVALUE_STRUCT, the pointer value 1
ALL_LIBRARIES = -1  # KAM_ALL_LIBRARIES

PATTERN_EARTH, PATTERN_SPACE, PATTERN_ANY = 1, 2, 3
PATTERN_NAME_SLOT = 13
LIBRARY_NAME_SLOT = 64
EVENT_LINE_SIZE = 256
PARAM_COUNT = 8
VALUE_DOUBLE, VALUE_INT32 = 1, 2

E_UNKNOWN_ANTENNA = -2009
# Statuses -1 .. -MAX_ARGUMENT name a wrong argument of the call by position.
MAX_ARGUMENT = 99

lock = threading.RLock()


# ---- Records ----------------------------------------------------------------

class EventRecord(ctypes.Structure):
    _fields_ = [
        ("code", ctypes.c_int32),
        ("severity", ctypes.c_int32),
        ("text", ctypes.c_char * 256),
        ("textLength", ctypes.c_int32),
        ("libraryName", ctypes.c_char * 64),
        ("patternName", ctypes.c_char * 16),
    ]


class LibraryProperties(ctypes.Structure):
    _fields_ = [
        ("version", ctypes.c_int32 * 3),
        ("reserved", ctypes.c_ubyte * 12),
        ("name", ctypes.c_ubyte * 64),
        ("description", ctypes.c_ubyte * 320),
        ("patternCount", ctypes.c_int32),
    ]


class PatternProperties(ctypes.Structure):
    _fields_ = [
        ("reserved", ctypes.c_ubyte * 24),
        ("name", ctypes.c_ubyte * 13),
        ("title", ctypes.c_ubyte * 259),
        ("type", ctypes.c_int32),
        ("reserved2", ctypes.c_ubyte * 32),
        ("specificSize", ctypes.c_int32),
    ]


class ElementDescription(ctypes.Structure):
    """The layout of SpecificParDef.description that self-describing
    libraries (the standard one among them) use."""
    _fields_ = [
        ("name", ctypes.c_ubyte * 32),
        ("unit", ctypes.c_ubyte * 16),
        ("valueType", ctypes.c_int32),
        ("offset", ctypes.c_int32),
        ("defaultValue", ctypes.c_double),
        ("lowest", ctypes.c_double),
        ("highest", ctypes.c_double),
        ("zero", ctypes.c_double),
    ]


class SpecificParDef(ctypes.Structure):
    _fields_ = [
        ("structId", ctypes.c_int32),
        ("elementIndex", ctypes.c_int32),
        ("description", ElementDescription),
    ]


for _record, _size in ((EventRecord, 348), (LibraryProperties, 412),
                       (PatternProperties, 336), (SpecificParDef, 96)):
    assert ctypes.sizeof(_record) == _size, _record.__name__


def field_text(field):
    """Text of a fixed-size byte field, up to its first NUL."""
    data = bytes(field)
    end = data.find(b"\0")
    return (data if end < 0 else data[:end]).decode("utf-8", "replace")


# ---- Prototypes ---------------------------------------------------------------

_i32, _dbl, _ptr, _str = ctypes.c_int32, ctypes.c_double, ctypes.c_void_p, ctypes.c_char_p
_id = Handle = ctypes.c_ssize_t  # KAM_LibraryId and KAM_AntennaId are intptr_t
_pi32 = ctypes.POINTER(ctypes.c_int32)
_pid = ctypes.POINTER(_id)
_pdbl = ctypes.POINTER(ctypes.c_double)

# name: (result type, argument types). Arrays and structures pass as c_void_p
# (an address or None), so numpy buffers go in without conversion.
PROTOTYPES = {
    "KAM_IfInited": (_i32, []),
    "KAM_EnableInputParamValid": (_i32, []),
    "KAM_DisableInputParamValid": (_i32, []),
    "KAM_IfInputParamValidEnabled": (_i32, []),
    "KAM_GetNextEvent": (_i32, [ctypes.POINTER(EventRecord)]),
    "KAM_ConvertEventToString": (_i32, [ctypes.POINTER(EventRecord), ctypes.c_char_p]),
    "KAM_AddLibrary": (_i32, [_str, _pid]),
    "KAM_GetLibraryCount": (_i32, [_pi32]),
    "KAM_GetAllLibraryNames": (_i32, [_pi32, ctypes.c_char_p]),
    "KAM_GetLibraryIdByName": (_i32, [_str, _pid]),
    "KAM_GetLibraryProperties": (_i32, [_id, ctypes.POINTER(LibraryProperties)]),
    "KAM_GetPatternCount": (_i32, [_id, _i32, _pi32]),
    "KAM_GetAllPatternNames": (_i32, [_id, _i32, _pi32, ctypes.c_char_p]),
    "KAM_SearchPattern": (_i32, [_str, _pid]),
    "KAM_GetPatternProperties": (_i32, [_id, _str, ctypes.POINTER(PatternProperties)]),
    "KAM_GetParamProperties": (_i32, [_id, _str, _pi32]),
    "KAM_GetSpecificParCount": (_i32, [_id, _str, _pi32]),
    "KAM_GetSpecificParDef": (_i32, [_id, _str, _i32, ctypes.POINTER(SpecificParDef)]),
    "KAM_CreateEarthAntenna": (_i32, [_id, _str, _dbl, _dbl, _dbl, _dbl, _ptr, _pid]),
    "KAM_CreateSpaceAntenna": (_i32, [_id, _str, _dbl, _dbl, _ptr, _pid]),
    "KAM_DeleteAntenna": (_i32, [_id]),
    "TMP_ConvertPatternName": (ctypes.c_int, [_str, ctypes.c_char_p]),
    "KAM_EarthPatternGainArray": (
        _i32, [_id, _str, _dbl, _dbl, _dbl, _dbl, _ptr, _i32, _ptr, _ptr, _ptr, _ptr, _ptr]),
    "KAM_SpacePatternGainArray": (
        _i32, [_id, _str, _dbl, _dbl, _ptr, _i32, _ptr, _ptr, _ptr, _ptr, _ptr]),
    "KAM_AntennaGainArray": (_i32, [_id, _i32, _ptr, _ptr, _ptr, _ptr, _ptr]),
    "KAM_SpacePatternContourArray": (
        _i32, [_id, _str, _dbl, _ptr, _i32, _ptr, _ptr, _ptr, _ptr, _ptr]),
    "KAM_AntennaContourArray": (_i32, [_id, _i32, _ptr, _ptr, _ptr, _ptr, _ptr]),
}


# ---- Finding the library ------------------------------------------------------

LIBRARY_FILE = "kam.dll" if os.name == "nt" else "libkam.so"
_HERE = os.path.dirname(os.path.abspath(__file__))


def candidates():
    """The places searched, in order, as (description, path or None)."""
    env = os.environ.get("KAM_LIBRARY")
    places = [("the environment variable KAM_LIBRARY", env or None)]
    # The installed layout: the install step writes kam/_location.py beside
    # this file, holding LIBRARY = "<path of the library relative to the
    # directory of _location.py>". The source tree has no such file.
    try:
        from . import _location
        installed = os.path.normpath(os.path.join(_HERE, _location.LIBRARY))
    except ImportError:
        installed = None
    places.append(("the installed layout (kam/_location.py)", installed))
    # The build tree of the repository this package sits in.
    repo = os.path.dirname(os.path.dirname(_HERE))
    places.append(("the build tree",
                   os.path.join(repo, "build", "default", "bin", LIBRARY_FILE)))
    return places


def _open(path):
    # 32-bit Windows exports are __stdcall (WinDLL); every other target uses
    # the C convention. KAM_Std.dll, which kam.dll needs, is found beside it.
    if os.name == "nt" and sys.maxsize <= 2**32:
        return ctypes.WinDLL(path)
    return ctypes.CDLL(path)


def load():
    tried = []
    for where, path in candidates():
        if not path:
            tried.append(f"  {where}: not set")
            continue
        if not os.path.isfile(path):
            tried.append(f"  {where}: {path} (no such file)")
            continue
        try:
            handle = _open(path)
        except OSError as e:
            raise ImportError(f"kam: cannot load {path} (from {where}): {e}") from e
        for name, (restype, argtypes) in PROTOTYPES.items():
            try:
                function = getattr(handle, name)
            except AttributeError:
                raise ImportError(f"kam: {path} does not export {name}") from None
            function.restype, function.argtypes = restype, argtypes
        handle.KAM_IfInited()  # initialises; the contour exports never do
        return handle, path
    raise ImportError(f"kam: the KAM library ({LIBRARY_FILE}) was not found; searched\n"
                      + "\n".join(tried))


lib, path = load()


# ---- Events -------------------------------------------------------------------

def take_events():
    """Takes every queued event, oldest first, as (code, text, rendered line).
    The caller holds the lock."""
    events = []
    record = EventRecord()
    line = ctypes.create_string_buffer(EVENT_LINE_SIZE)
    while lib.KAM_GetNextEvent(ctypes.byref(record)) == 0:
        text = field_text(record.text)
        rendered = text
        if lib.KAM_ConvertEventToString(ctypes.byref(record), line) == 0:
            rendered = field_text(line.raw)
        events.append((record.code, text, rendered))
    return events
