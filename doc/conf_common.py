# Settings both languages share; each language's conf.py sets its own texts and imports this.
import datetime
import os

project = "OrvelTool"
author = "OrvelTool"
version = release = os.environ.get("ORVEL_VERSION", "")
# The day the manual was made, or SOURCE_DATE_EPOCH's for a build that must come out the same.
manual_date = datetime.datetime.fromtimestamp(
    int(os.environ.get("SOURCE_DATE_EPOCH", datetime.datetime.now().timestamp())),
    datetime.timezone.utc).strftime("%Y-%m-%d")
# The printed manual's cover and contents (templates/layout.html).
templates_path = [os.path.join(os.path.dirname(os.path.abspath(__file__)), "templates")]
master_doc = "index"
# generated/ holds texts the chapters include, not pages of their own.
exclude_patterns = ["_build", "generated"]
# A heading, a picture or a link that is not there is a warning, and warnings fail the build.
nitpicky = False
numfig = False
# Quotes and ellipses may be typeset, but "--help" in a title stays two hyphens to type.
smartquotes_action = "qe"
# The literal blocks are help texts and examples, not source code to colour.
highlight_language = "none"
html_theme = "alabaster"
html_theme_options = {"fixed_sidebar": True, "show_powered_by": False, "page_width": "1100px",
                      "sidebar_width": "250px"}
html_sidebars = {"**": ["localtoc.html", "relations.html", "globaltoc.html", "searchbox.html"]}
html_show_sourcelink = False
html_copy_source = False
html_show_sphinx = False
html_last_updated_fmt = None
html_static_path = []
# The manual is read from its folder (file://), installed or beside the program.
html_file_suffix = ".html"
