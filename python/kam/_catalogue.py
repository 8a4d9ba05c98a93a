"""The catalogue as data: libraries, patterns and the elements of their
specific structures, read through the catalogue exports; loading libraries,
legacy names, the input-validation switch, and building a specific structure
from a dict.
"""

import contextlib
import ctypes
import dataclasses
import math
from typing import Dict, List, Tuple

from . import _native
from ._errors import KamError, call, error

PARAMETER_NAMES = ("GainMax", "Beamlet", "Diameter", "Frequency", "Efficiency",
                   "Specific", "Phi", "Phi0")
PROPERTY_WORDS = {10: "required", 20: "optional", 30: "not required"}
KIND_WORDS = {_native.PATTERN_EARTH: "earth", _native.PATTERN_SPACE: "space"}
KIND_MASKS = {None: _native.PATTERN_ANY, "earth": _native.PATTERN_EARTH,
              "space": _native.PATTERN_SPACE}
VALUE_TYPE_WORDS = {_native.VALUE_DOUBLE: "double", _native.VALUE_INT32: "int32"}
VALUE_WIDTHS = {_native.VALUE_DOUBLE: 8, _native.VALUE_INT32: 4}


@dataclasses.dataclass(frozen=True)
class Element:
    """One element of a pattern's specific structure."""
    name: str
    unit: str
    kind: str  # "double" or "int32"
    default: float
    lowest: float
    highest: float
    offset: int = dataclasses.field(repr=False, default=0)


@dataclasses.dataclass(frozen=True)
class Pattern:
    name: str
    kind: str  # "earth" or "space"
    library: str
    title: str
    parameters: Dict[str, str]
    specific: List[Element]
    library_id: int = dataclasses.field(repr=False, compare=False, default=0)
    specific_size: int = dataclasses.field(repr=False, compare=False, default=0)


@dataclasses.dataclass(frozen=True)
class Library:
    id: int
    name: str
    version: Tuple[int, int, int]
    patterns: Tuple[str, ...]


def _encode(name, what="name"):
    if not isinstance(name, str):
        raise TypeError(f"{what} must be a str, not {type(name).__name__}")
    return name.encode("utf-8")


# Patterns described so far, by (library id or None, name); a new library may
# hide a pattern of an older one, so loading one empties it.
_described = {}


def library_id(library):
    """The handle for a library argument: None (every library), a Library,
    a library name or a handle."""
    if library is None:
        return _native.ALL_LIBRARIES
    if isinstance(library, Library):
        return library.id
    if isinstance(library, str):
        found = _native.Handle()
        call(_native.lib.KAM_GetLibraryIdByName, _encode(library, "library"),
             ctypes.byref(found))
        return found.value
    if isinstance(library, int):
        return library
    raise TypeError(f"library must be None, a Library, a name or an id, not {library!r}")


def _library_name(lid):
    props = _native.LibraryProperties()
    call(_native.lib.KAM_GetLibraryProperties, lid, ctypes.byref(props))
    return _native.field_text(props.name), props


def _elements(lid, encoded):
    count = ctypes.c_int32()
    with _native.lock:
        status = _native.lib.KAM_GetSpecificParCount(lid, encoded, ctypes.byref(count))
        if status != 0:  # -2101: the pattern does not describe a structure
            _native.take_events()
            return []
    elements = []
    definition = _native.SpecificParDef()
    for index in range(count.value):
        call(_native.lib.KAM_GetSpecificParDef, lid, encoded, index, ctypes.byref(definition))
        d = definition.description
        elements.append(Element(
            name=_native.field_text(d.name), unit=_native.field_text(d.unit),
            kind=VALUE_TYPE_WORDS.get(d.valueType, "unknown"), default=d.defaultValue,
            lowest=d.lowest, highest=d.highest, offset=d.offset))
    return elements


def describe(name, library=None):
    """The pattern `name`, in `library` or (None) in the newest library that
    has it. An unknown name raises KamError -2005."""
    key = (None if library is None else library_id(library), name)
    found = _described.get(key)
    if found is not None:
        return found
    encoded = _encode(name)
    lid = key[0]
    if lid is None:
        where = _native.Handle()
        call(_native.lib.KAM_SearchPattern, encoded, ctypes.byref(where))
        lid = where.value
    props = _native.PatternProperties()
    call(_native.lib.KAM_GetPatternProperties, lid, encoded, ctypes.byref(props))
    codes = (ctypes.c_int32 * _native.PARAM_COUNT)()
    call(_native.lib.KAM_GetParamProperties, lid, encoded, codes)
    size = max(props.specificSize, 0)
    pattern = Pattern(
        name=name, kind=KIND_WORDS.get(props.type, "unknown"),
        library=_library_name(lid)[0], title=_native.field_text(props.title),
        parameters={p: PROPERTY_WORDS.get(c, str(c)) for p, c in zip(PARAMETER_NAMES, codes)},
        specific=_elements(lid, encoded) if size else [],
        library_id=lid, specific_size=size)
    _described[key] = pattern
    return pattern


def _pattern_names(lid, mask):
    count = ctypes.c_int32()
    call(_native.lib.KAM_GetPatternCount, lid, mask, ctypes.byref(count))
    if count.value <= 0:
        return []
    buffer = ctypes.create_string_buffer(count.value * _native.PATTERN_NAME_SLOT)
    call(_native.lib.KAM_GetAllPatternNames, lid, mask, ctypes.byref(count), buffer)
    slot = _native.PATTERN_NAME_SLOT
    return [_native.field_text(buffer.raw[i * slot:(i + 1) * slot]) for i in range(count.value)]


def patterns(kind=None, library=None):
    """Every pattern of `kind` ("earth", "space" or None for both), of one
    library or of every library, newest library first."""
    if kind not in KIND_MASKS:
        raise ValueError(f"kind must be 'earth', 'space' or None, not {kind!r}")
    ids = [library_id(library)] if library is not None else [lib.id for lib in libraries()]
    return [describe(n, lid) for lid in ids for n in _pattern_names(lid, KIND_MASKS[kind])]


def _library(lid):
    name, props = _library_name(lid)
    return Library(id=lid, name=name, version=tuple(props.version),
                   patterns=tuple(_pattern_names(lid, _native.PATTERN_ANY)))


def libraries():
    """The loaded pattern libraries, newest first."""
    count = ctypes.c_int32()
    call(_native.lib.KAM_GetLibraryCount, ctypes.byref(count))
    if count.value <= 0:
        return []
    slot = _native.LIBRARY_NAME_SLOT
    buffer = ctypes.create_string_buffer(count.value * slot)
    call(_native.lib.KAM_GetAllLibraryNames, ctypes.byref(count), buffer)
    names = [_native.field_text(buffer.raw[i * slot:(i + 1) * slot]) for i in range(count.value)]
    return [_library(library_id(n)) for n in names]


def load_library(path):
    """Loads a pattern library file; one already loaded gives its Library."""
    lid = _native.Handle()
    with _native.lock:
        status = _native.lib.KAM_AddLibrary(_encode(str(path), "path"), ctypes.byref(lid))
        events = _native.take_events() if status != 0 else []
    if status < 0:
        raise error(status, events)
    _described.clear()
    return _library(lid.value)


def legacy_name(designation):
    """The current pattern name of a legacy designation; a designation
    shorter than 12 characters is padded with blanks as the library needs."""
    padded = designation.ljust(12) if isinstance(designation, str) else designation
    current = ctypes.create_string_buffer(_native.PATTERN_NAME_SLOT)
    status = _native.lib.TMP_ConvertPatternName(_encode(padded, "designation"), current)
    if status != 0:
        raise KamError(status, f"no current pattern name for the legacy designation "
                               f"{designation!r}")
    return _native.field_text(current.raw)


@contextlib.contextmanager
def input_validation(enabled):
    """Switches input validation on or off for the block, then restores it."""
    lib = _native.lib
    with _native.lock:
        before = lib.KAM_IfInputParamValidEnabled() == 1
        (lib.KAM_EnableInputParamValid if enabled else lib.KAM_DisableInputParamValid)()
    try:
        yield
    finally:
        with _native.lock:
            (lib.KAM_EnableInputParamValid if before else lib.KAM_DisableInputParamValid)()


def specific_structure(pattern, specific):
    """The address to pass for `specific` and the buffer to keep alive.
    None is the structure NoValue (the pattern's defaults); a dict sets the
    named elements and leaves the others at their defaults."""
    if specific is None:
        return _native.NOVALUE_STRUCT, None
    if not isinstance(specific, dict):
        raise TypeError(f"specific must be a dict or None, not {type(specific).__name__}")
    if not pattern.specific_size or not pattern.specific:
        raise ValueError(f"{pattern.name} has no described specific structure")
    by_name = {e.name: e for e in pattern.specific}
    unknown = sorted(set(specific) - set(by_name))
    if unknown:
        raise ValueError(f"{pattern.name} has no specific element {', '.join(map(repr, unknown))}"
                         f"; its elements are {', '.join(by_name)}")
    words = (pattern.specific_size + 7) // 8  # doubles keep the structure aligned
    buffer = (ctypes.c_double * words)()
    base = ctypes.addressof(buffer)
    for e in pattern.specific:
        value = specific.get(e.name)
        value = e.default if value is None else float(value)
        width = 4 if e.kind == "int32" else 8
        if e.offset < 0 or e.offset + width > pattern.specific_size:
            raise ValueError(f"specific element {e.name!r} of {pattern.name} lies outside "
                             f"its structure")
        if e.kind == "int32":
            if not math.isfinite(value) or abs(value) >= 2.0**31:
                raise ValueError(f"specific element {e.name!r} must be a whole number "
                                 f"in the int32 range, not {value!r}")
            ctypes.c_int32.from_address(base + e.offset).value = round(value)
        else:
            ctypes.c_double.from_address(base + e.offset).value = value
    return base, buffer
