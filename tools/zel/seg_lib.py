"""The grammar library's segmentation functions, reached through ctypes."""

import ctypes

ANSWER_BYTES = 262144  # ZEL_SEG_ANSWER_BYTES of include/zellib.h


class SegLib:
    def __init__(self, library_path):
        self.lib = ctypes.CDLL(library_path)
        self.lib._Z6IdxCRFPKcS0_.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.lib.ZEL_CRFInit.argtypes = [ctypes.c_char_p]
        self.lib.ZEL_POSInit.argtypes = [ctypes.c_char_p]
        self.lib.ZEL_CRFPOSInit.restype = ctypes.c_void_p
        self.lib.ZEL_CRFPOSExit.argtypes = [ctypes.c_void_p]
        for f in (self.lib.ZEL_Seg, self.lib.ZEL_POS):
            f.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_char_p]
        self.out = ctypes.create_string_buffer(ANSWER_BYTES)
        self.handle = None

    def compile_model(self, text_path, binary_path):
        return self.lib._Z6IdxCRFPKcS0_(text_path.encode(), binary_path.encode())

    def load(self, model_path, dict_path=None):
        if not self.lib.ZEL_CRFInit(model_path.encode()):
            raise RuntimeError('cannot load the segmentation model ' + model_path)
        if dict_path and not self.lib.ZEL_POSInit(dict_path.encode()):
            raise RuntimeError('cannot load the part-of-speech dictionary ' + dict_path)
        self.handle = self.lib.ZEL_CRFPOSInit()

    def seg(self, text):
        n = self.lib.ZEL_Seg(self.handle, text.encode(), self.out)
        return self.out.raw[:n].decode()

    def pos(self, words):
        n = self.lib.ZEL_POS(self.handle, words.encode(), self.out)
        return self.out.raw[:n].decode()
