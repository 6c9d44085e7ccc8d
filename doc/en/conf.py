import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from conf_common import *  # noqa: E402,F401,F403

language = "en"
project = "OrvelTool Manual"
html_title = "OrvelTool Manual"
html_context = {"manual_date": manual_date, "cover_version": "Version"}
