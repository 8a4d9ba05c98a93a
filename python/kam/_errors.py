"""The package's exception and warning, and the wrapper through which every
scalar call of the library runs: under the lock, with the events it queued
turned into a KamError (negative status) or a KamWarning (positive status).
"""

import warnings

from . import _native


class KamError(Exception):
    """A call that failed as a whole. `code` is the library's status,
    `message` the text of its event, `events` the rendered event lines."""

    def __init__(self, code, message, events=()):
        super().__init__(code, message, list(events))
        self.code = int(code)
        self.message = message
        self.events = list(events)

    def __str__(self):
        return f"{self.message} (status {self.code})"


class KamWarning(UserWarning):
    """A non-zero status of some elements; `code` is the status."""

    def __init__(self, message, code):
        super().__init__(message)
        self.code = int(code)

    def __str__(self):
        return f"{self.args[0]} (status {self.code})"


ERROR_MODES = ("warn", "raise", "ignore")


def check_errors(errors):
    if errors not in ERROR_MODES:
        raise ValueError(f"errors must be one of {', '.join(ERROR_MODES)}, not {errors!r}")


def text_of(code, events):
    """The text of the first event of code, or a plain stand-in when the
    event log held none (switched off, for instance)."""
    for c, text, _ in events:
        if c == code:
            return text
    return f"KAM status {code}"


def error(code, events):
    return KamError(code, text_of(code, events), [line for _, _, line in events])


def call(function, *args, stacklevel=3):
    """Runs one library call that returns a status; raises KamError when it
    is negative, warns when it is positive, returns it."""
    with _native.lock:
        status = function(*args)
        events = _native.take_events() if status != 0 else []
    if status < 0:
        raise error(status, events)
    if status > 0:
        warnings.warn(KamWarning(text_of(status, events), status), stacklevel=stacklevel)
    return status
