import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from conf_common import *  # noqa: E402,F401,F403

language = "zh_CN"
project = "OrvelTool 使用手册"
html_title = "OrvelTool 使用手册"
html_search_language = "zh"
html_context = {"manual_date": manual_date, "cover_version": "版本"}
